# Run by scripts/blender_check.sh inside Blender, which reads PNG files: for each picture, the
# share of its height that rows holding anything but the background colour (the top-left
# pixel's) span; fails unless every share lies within [LOW, HIGH].
#
# Arguments after "--": LOW HIGH PICTURE...
import sys

import bpy


def covered_share(path):
    image = bpy.data.images.load(path)
    width, height = image.size
    channels = image.channels
    pixels = list(image.pixels)
    background = pixels[:3]
    rows = []
    for y in range(height):
        row = pixels[y * width * channels:(y + 1) * width * channels]
        if any(max(abs(row[x * channels + c] - background[c]) for c in range(3)) > 0.02 for x in range(width)):
            rows.append(y)
    return (rows[-1] - rows[0] + 1) / height if rows else 0.0


arguments = sys.argv[sys.argv.index("--") + 1:]
low, high = float(arguments[0]), float(arguments[1])
failed = False
for picture in arguments[2:]:
    share = covered_share(picture)
    inside = low <= share <= high
    failed |= not inside
    print("%s  %s: the model spans %.0f %% of the picture's height" % ("ok  " if inside else "FAIL", picture, 100 * share))
sys.exit(1 if failed else 0)
