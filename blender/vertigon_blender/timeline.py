# SPDX-License-Identifier: GPL-3.0-or-later
# What Blender's glTF importer leaves of the animations, arranged so that each is found on the
# timeline: one action per animation, named as the viewer lists it ("group/animation"), each on
# its own NLA track of the armature, the first one playing and the others muted.

import json
import math
import struct

# The viewer's clock: one redraw step is 1/40 s and a clip at speed 1 moves one data frame per
# step. The exported key times are in that clock's seconds, whatever each clip's speed.
FRAMES_PER_SECOND = 40

_GLB_MAGIC = 0x46546C67
_JSON_CHUNK = 0x4E4F534A


def animation_names(glb_path):
    """The names of the file's animations, in the file's order (the viewer's order)."""
    with open(glb_path, "rb") as stream:
        header = stream.read(20)
        if len(header) < 20:
            return []
        magic, _version, _length, chunk_length, chunk_type = struct.unpack("<5I", header)
        if magic != _GLB_MAGIC or chunk_type != _JSON_CHUNK:
            return []
        document = json.loads(stream.read(chunk_length).decode("utf-8"))
    return [animation.get("name", "") for animation in document.get("animations", [])]


def prepare_scene(scene):
    """Before an import: the importer turns seconds into frames at the scene's rate, and puts
    each animation's strip at the scene's first frame, where the clip's time 0 belongs."""
    scene.render.fps = FRAMES_PER_SECOND
    scene.render.fps_base = 1.0
    scene.frame_start = 0


def arrange_tracks(armature, names):
    """Names each imported animation's action and track after `names` (the file's order), mutes
    every track but the first one's, and returns the first action (None without animations)."""
    data = armature.animation_data
    if data is None or not names:
        return None
    # The importer makes one track per animation, the file's first one on top of the stack.
    tracks = [track for track in reversed(list(data.nla_tracks)) if track.strips]
    if len(tracks) != len(names):
        return None
    data.action = None  # the tracks play the clips; an active action would be laid over them
    first = None
    for index, (track, name) in enumerate(zip(tracks, names)):
        action = track.strips[0].action
        track.name = name
        if action is not None:
            action.name = name
        track.lock = False
        track.mute = index != 0
        track.select = index == 0
        if index == 0:
            first = action
            data.nla_tracks.active = track
    return first


def show_clip(scene, action):
    """Sets the scene's range to the clip's frames."""
    if action is None:
        return
    start, end = action.frame_range
    scene.frame_start = int(math.floor(start))
    scene.frame_end = max(int(math.ceil(end)), scene.frame_start + 1)
