#!/usr/bin/env bash
# Imports a glTF binary into Blender headless with Blender's own importer and prints what it
# made of it: bone and vertex counts, the action names, and for the first few actions the
# positions of a few vertices and bone heads at a few frames. Positions are printed back in
# glTF axes (Y up), so they compare with vertigon-cli pose and the exported file directly.
# The scene runs at 40 frames per second, the viewer's clock: Blender frame F is the pose that
# `vertigon-cli pose MODEL --animation G:I --time F` prints.
# Not part of the tests: Blender is a large install (Debian's blender and python3-numpy,
# installed when missing).
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: scripts/blender_check.sh FILE.glb" >&2
  exit 64
fi
file=$(realpath "$1")

# Blender's glTF importer needs numpy, which the blender package only recommends.
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
if ! installed blender || ! installed python3-numpy; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  flock /tmp/apt.lock "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends blender python3-numpy
fi

script=$(mktemp --suffix=.py)
trap 'rm -f "$script"' EXIT
cat > "$script" <<'PYTHON'
import sys
import bpy
import numpy

# Debian's Blender 3.4 importer still uses numpy.bool, an alias NumPy 1.24 removed.
if "bool" not in numpy.__dict__:
    numpy.bool = bool

path = sys.argv[sys.argv.index("--") + 1]
FRAMES = (0, 10, 25, 60)
ACTIONS_SHOWN = 3
BONES_SHOWN = 8

bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene
scene.render.fps = 40
scene.render.fps_base = 1.0
bpy.ops.import_scene.gltf(filepath=path)

def gltf_axes(v):
    # Blender is Z up; the importer turned glTF (x, y, z) into (x, -z, y).
    return (v.x, v.z, -v.y)

def text(v):
    return "(%.5f, %.5f, %.5f)" % gltf_axes(v)

armatures = [o for o in scene.objects if o.type == "ARMATURE"]
meshes = [o for o in scene.objects if o.type == "MESH"]
print("file:", path)
print("bones:", sum(len(a.data.bones) for a in armatures))
print("vertices:", sum(len(m.data.vertices) for m in meshes), "in", len(meshes), "mesh object(s)")
actions = sorted(a.name for a in bpy.data.actions)
print("actions (%d):" % len(actions), ", ".join(actions) if actions else "none")

def show_pose(label):
    depsgraph = bpy.context.evaluated_depsgraph_get()
    if meshes:
        mesh = meshes[0].evaluated_get(depsgraph)
        data = mesh.to_mesh()
        count = len(data.vertices)
        picks = sorted({0, count // 3, (2 * count) // 3, count - 1}) if count else []
        for i in picks:
            print("  %s vertex %d %s" % (label, i, text(mesh.matrix_world @ data.vertices[i].co)))
        mesh.to_mesh_clear()
    for armature in armatures:
        bones = armature.pose.bones
        for name in sorted(b.name for b in bones)[:BONES_SHOWN]:
            print("  %s %s head %s" % (label, name, text(armature.matrix_world @ bones[name].head)))

for armature in armatures:
    if armature.animation_data:
        for track in list(armature.animation_data.nla_tracks):
            armature.animation_data.nla_tracks.remove(track)
        armature.animation_data.action = None
scene.frame_set(0)
show_pose("rest")
for name in actions[:ACTIONS_SHOWN]:
    action = bpy.data.actions[name]
    print("action %s (frames %.1f to %.1f):" % (name, action.frame_range[0], action.frame_range[1]))
    for armature in armatures:
        if armature.animation_data is None:
            armature.animation_data_create()
        armature.animation_data.action = action
    for frame in FRAMES:
        scene.frame_set(frame)
        show_pose("frame %d" % frame)
PYTHON

status=0
output=$(blender -b --factory-startup --python-exit-code 1 --python "$script" -- "$file" 2>&1) || status=$?
# Blender's own start and quit lines say nothing about the file.
grep -v -e '^Blender [0-9]' -e '^Read prefs' -e '^Blender quit' -e '^$' -e 'ALSA' <<<"$output" || true
exit "$status"
