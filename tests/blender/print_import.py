# Run by scripts/blender_check.sh FILE.glb inside Blender: imports one export with Blender's own
# glTF importer and prints its bones, vertices, actions, and a few vertex positions and bone
# heads at a few frames of the first actions, in glTF axes (Y up).
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
