# Run by scripts/blender_check.sh inside Blender (-b --factory-startup): installs the add-on from
# its zip, imports each model through File > Import's operator and checks what came in against
# vertigon-cli: bone and vertex counts, one NLA track and action per animation named
# "group/animation" (the first playing, the others muted), the clips' frame rate, and the bone
# heads at several frames against `vertigon-cli pose`. Then the failures: no tool, a file the
# tool cannot read, and that no temporary folder stays behind.
#
# Arguments after "--": ADDON_ZIP CLI WORKDIR MODEL[=EE_IMAGE]...
import glob
import json
import os
import subprocess
import sys
import tempfile

import bpy

ADDON = "vertigon_blender"
FRAMES = (0, 7, 20, 45)
CLIPS_POSED = 2
failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    if not condition:
        failures.append(what)


def run_json(cli, *arguments):
    out = subprocess.run([cli, *arguments], check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return json.loads(out.stdout)


def glb_json(path):
    with open(path, "rb") as stream:
        stream.seek(12)
        length = int.from_bytes(stream.read(4), "little")
        stream.seek(20)
        return json.loads(stream.read(length))


def fresh_scene(cli, ee_image=""):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.preferences.addon_enable(module=ADDON)
    preferences = bpy.context.preferences.addons[ADDON].preferences
    preferences.cli_path = cli
    preferences.ee_image = ee_image


def gltf_axes(v):
    # Blender is Z up; the importer turned glTF (x, y, z) into (x, -z, y).
    return (v.x, v.z, -v.y)


def leftover_folders():
    return sorted(glob.glob(os.path.join(tempfile.gettempdir(), "vertigon-*")))


def expected(cli, model, ee_image, workdir):
    """The tool's own account of the model: its export (what the importer reads), its info."""
    target = os.path.join(workdir, os.path.basename(model) + ".glb")
    arguments = ["export", model, "-o", target]
    if ee_image:
        arguments += ["--ee-image", ee_image]
    subprocess.run([cli, *arguments], check=True, stderr=subprocess.DEVNULL)
    document = glb_json(target)
    positions, lo, hi = 0, [float("inf")] * 3, [float("-inf")] * 3
    for mesh in document.get("meshes", [])[:1]:
        for primitive in mesh["primitives"]:
            accessor = document["accessors"][primitive["attributes"]["POSITION"]]
            positions += accessor["count"]
            lo = [min(a, b) for a, b in zip(lo, accessor["min"])]
            hi = [max(a, b) for a, b in zip(hi, accessor["max"])]
    info = run_json(cli, "info", model, *(["--ee-image", ee_image] if ee_image else []))["model"]
    return document, positions, (lo, hi), info


def clip_index(info, name):
    for g, group in enumerate(info["animationGroups"]):
        for i, animation in enumerate(group["animations"]):
            if group["name"] + "/" + animation["name"] == name:
                return g, i
    return None


def check_model(cli, model, ee_image, workdir):
    label = os.path.basename(model)
    document, positions, bounds, info = expected(cli, model, ee_image, workdir)
    names = [a["name"] for a in document.get("animations", [])]
    fresh_scene(cli, ee_image)
    result = bpy.ops.import_scene.vertigon(filepath=model)
    check(result == {"FINISHED"}, "%s: imported" % label)
    scene = bpy.context.scene
    armatures = [o for o in scene.objects if o.type == "ARMATURE"]
    meshes = [o for o in scene.objects if o.type == "MESH"]
    check(len(armatures) == 1, "%s: one armature" % label)
    if len(armatures) != 1:
        return
    armature = armatures[0]
    check(len(armature.data.bones) == info["boneCount"],
          "%s: %d bones (the model has %d)" % (label, len(armature.data.bones), info["boneCount"]))
    vertices = sum(len(m.data.vertices) for m in meshes)
    check(vertices == positions, "%s: %d vertices (the export holds %d)" % (label, vertices, positions))
    check(scene.render.fps == 40 and scene.render.fps_base == 1.0, "%s: the scene runs at 40 frames per second" % label)

    data = armature.animation_data
    tracks = list(reversed(list(data.nla_tracks))) if data else []
    check([t.name for t in tracks] == names, "%s: one NLA track per animation, in order: %s" % (label, names))
    check([t.strips[0].action.name for t in tracks] == names, "%s: each track's action is named after it" % label)
    check([t.mute for t in tracks] == [i > 0 for i in range(len(tracks))],
          "%s: the first track plays, the others are muted" % label)
    check(not data or data.action is None, "%s: no loose action laid over the tracks" % label)

    # At rest the skinned mesh lies where the file's own positions put it: placed once.
    for track in tracks:
        track.mute = True
    for bone in armature.pose.bones:  # nothing animates them now, so they keep what they last had
        bone.location, bone.rotation_quaternion, bone.scale = (0, 0, 0), (1, 0, 0, 0), (1, 1, 1)
    scene.frame_set(0)
    lo, hi = mesh_bounds(scene)
    size = max(b - a for a, b in zip(*bounds)) or 1.0
    worst = max(max(abs(a - b) for a, b in zip(lo, bounds[0])), max(abs(a - b) for a, b in zip(hi, bounds[1])))
    check(worst <= 1e-4 * size, "%s: at rest the mesh spans the export's bounds (off by %.3g)" % (label, worst))

    for track in tracks[:CLIPS_POSED]:
        chosen = clip_index(info, track.name)
        check(chosen is not None, "%s: %s is one of the model's animations" % (label, track.name))
        if chosen is None:
            continue
        for other in tracks:
            other.mute = other is not track
        worst = 0.0
        for frame in FRAMES:
            scene.frame_set(frame)
            pose = run_json(cli, "pose", model, "--animation", "%d:%d" % chosen, "--time", str(frame),
                            *(["--ee-image", ee_image] if ee_image else []))
            for bone in pose["bones"]:
                head = gltf_axes(armature.matrix_world @ armature.pose.bones["bone_%03d" % bone["index"]].head)
                want = bone["world"][3][:3]
                worst = max(worst, max(abs(a - b) for a, b in zip(head, want)))
        scale = max(max(abs(c) for c in bone["world"][3][:3]) for bone in pose["bones"]) or 1.0
        check(worst <= 1e-4 * max(scale, 1e-3),
              "%s: %s bone heads at frames %s match vertigon-cli pose (worst %.3g)" % (label, track.name, FRAMES, worst))
    for index, track in enumerate(tracks):
        track.mute = index > 0
    return armature


def mesh_bounds(scene):
    """The box of every mesh as Blender shows it (modifiers applied), in glTF axes."""
    depsgraph = bpy.context.evaluated_depsgraph_get()
    points = []
    for obj in scene.objects:
        if obj.type == "MESH":
            evaluated = obj.evaluated_get(depsgraph)
            mesh = evaluated.to_mesh()
            points += [gltf_axes(obj.matrix_world @ v.co) for v in mesh.vertices]
            evaluated.to_mesh_clear()
    return [min(p[i] for p in points) for i in range(3)], [max(p[i] for p in points) for i in range(3)]


def check_options(cli, models):
    """Several files at once, and every level of detail of a model that has more than one."""
    fresh_scene(cli)
    folder = os.path.dirname(models[0])
    together = [m for m in models if os.path.dirname(m) == folder and not m.lower().endswith(".mdls")]
    bpy.ops.import_scene.vertigon(directory=folder, files=[{"name": os.path.basename(m)} for m in together])
    armatures = [o for o in bpy.context.scene.objects if o.type == "ARMATURE"]
    check(len(armatures) == len(together), "%d files imported at once make %d armatures" % (len(together), len(armatures)))
    for model in together:
        lods = run_json(cli, "info", model)["model"]["lodCount"]
        if lods < 2:
            continue
        fresh_scene(cli)
        bpy.ops.import_scene.vertigon(filepath=model, all_lods=True)
        meshes = [o for o in bpy.context.scene.objects if o.type == "MESH"]
        check(len(meshes) == lods, "%s with every level of detail: %d meshes (it has %d)"
              % (os.path.basename(model), len(meshes), lods))


def check_failures(cli, bad_file, mdls_without_image):
    fresh_scene(os.path.join(os.path.dirname(cli), "no-such-vertigon-cli"))
    try:
        bpy.ops.import_scene.vertigon(filepath=bad_file)
        said = ""
    except RuntimeError as error:
        said = str(error)
    check("no-such-vertigon-cli is not an executable file" in said and "Traceback" not in said,
          "a missing tool is reported: %r" % said)

    fresh_scene(cli)
    try:
        bpy.ops.import_scene.vertigon(filepath=bad_file)
        said = ""
    except RuntimeError as error:
        said = str(error)
    check("vertigon-cli export: " in said and "Traceback" not in said, "an unreadable file is reported with the tool's message: %r" % said)
    check(not [o for o in bpy.context.scene.objects], "an unreadable file imports nothing")

    fresh_scene(cli)
    result = bpy.ops.import_scene.vertigon(filepath=mdls_without_image)
    armatures = [o for o in bpy.context.scene.objects if o.type == "ARMATURE"]
    check(result == {"FINISHED"} and armatures and not armatures[0].animation_data,
          "an MDLS model without a program image comes in at rest, without animations")


def render_picture(path):
    """A Workbench picture of the imported model at the current frame, seen from the front."""
    scene = bpy.context.scene
    bpy.ops.object.camera_add()
    camera = bpy.context.object
    scene.camera = camera
    lo, hi = mesh_bounds(scene)  # glTF axes: Blender's x, z, -y
    centre = [(a + b) / 2 for a, b in zip(lo, hi)]
    extent = max(hi[0] - lo[0], hi[1] - lo[1])
    camera.data.type = "ORTHO"
    camera.data.ortho_scale = extent * 1.25
    camera.location = (centre[0], -hi[2] - 10 * extent, centre[1])
    camera.rotation_euler = (1.5707963, 0.0, 0.0)
    camera.data.clip_end = 40 * extent
    scene.render.engine = "BLENDER_WORKBENCH"
    scene.display.shading.color_type = "TEXTURE"
    scene.render.resolution_x, scene.render.resolution_y = 480, 480
    scene.render.filepath = path
    bpy.ops.render.render(write_still=True)


def main():
    arguments = sys.argv[sys.argv.index("--") + 1:]
    addon_zip, cli, workdir = arguments[:3]
    models = [m.partition("=")[::2] for m in arguments[3:]]
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.preferences.addon_install(filepath=addon_zip, overwrite=True)
    before = leftover_folders()
    for model, ee_image in models:
        armature = check_model(cli, model, ee_image, workdir)
        if armature and model.lower().endswith(".ffb"):
            bpy.context.scene.frame_set(10)
            render_picture(os.path.join(workdir, os.path.splitext(os.path.basename(model))[0] + "_blender.png"))
    check_options(cli, [m for m, _ in models])
    mdls = [m for m, image in models if m.lower().endswith(".mdls")]
    bad = os.path.join(workdir, "broken.mdlx")
    with open(bad, "wb") as stream:
        stream.write(b"BAR\x01" + bytes(60))
    check_failures(cli, bad, mdls[0] if mdls else models[0][0])
    check(leftover_folders() == before, "no temporary folder stays behind")
    print("%d check(s) failed" % len(failures) if failures else "every check passed")
    sys.exit(1 if failures else 0)


main()
