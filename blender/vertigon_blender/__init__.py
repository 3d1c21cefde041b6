# SPDX-License-Identifier: GPL-3.0-or-later
# File > Import > "PlayStation 2 model (Vertigon)": reads the game files through vertigon-cli
# export and Blender's own glTF importer, then lays every animation out on the timeline.

bl_info = {
    "name": "Vertigon PlayStation 2 models",
    "author": "The Vertigon developers",
    "version": (0, 0, 0),  # the build writes the version of project() here
    "blender": (3, 4, 0),
    "location": "File > Import > PlayStation 2 model (Vertigon)",
    "description": "Imports .mdlx, .raw, .mdls and .ffb models with their skeletons and animations",
    "category": "Import-Export",
}

import os
import tempfile

import bpy
from bpy.props import BoolProperty, CollectionProperty, IntProperty, StringProperty
from bpy_extras.io_utils import ImportHelper

from . import timeline, tool

MENU_LABEL = "PlayStation 2 model (Vertigon)"
DEFAULT_FRAMES = 120  # the tool's own default


class VertigonPreferences(bpy.types.AddonPreferences):
    bl_idname = __package__

    cli_path: StringProperty(
        name="vertigon-cli",
        description="The vertigon-cli program to run; the one on PATH when empty",
        subtype="FILE_PATH",
    )
    ee_image: StringProperty(
        name="Program image",
        description="The game's executable that MDLS animations run in; the tool's own default "
                    "place when empty",
        subtype="FILE_PATH",
    )

    def draw(self, context):
        self.layout.prop(self, "cli_path")
        self.layout.prop(self, "ee_image")


def _gltf_importer_ready():
    # Debian's Blender 3.4 glTF importer still uses numpy.bool, an alias NumPy 1.24 removed.
    import numpy
    if "bool" not in numpy.__dict__:
        numpy.bool = bool


class ImportVertigon(bpy.types.Operator, ImportHelper):
    """Import PlayStation 2 game models with their skeletons and animations"""
    bl_idname = "import_scene.vertigon"
    bl_label = "Import PlayStation 2 model"
    bl_options = {"REGISTER", "UNDO"}

    filter_glob: StringProperty(default="*.mdlx;*.raw;*.mdls;*.ffb", options={"HIDDEN"})
    files: CollectionProperty(type=bpy.types.OperatorFileListElement, options={"HIDDEN", "SKIP_SAVE"})
    directory: StringProperty(subtype="DIR_PATH", options={"HIDDEN", "SKIP_SAVE"})

    all_lods: BoolProperty(name="All levels of detail", default=False,
                           description="Import every level of detail instead of one")
    lod: IntProperty(name="Level of detail", default=0, min=0,
                     description="The level of detail to import when not all")
    frames: IntProperty(name="Frames per MDLS animation", default=DEFAULT_FRAMES, min=1,
                        description="How many frames of each MDLS animation are played and kept")

    def draw(self, context):
        layout = self.layout
        layout.prop(self, "all_lods")
        row = layout.row()
        row.enabled = not self.all_lods
        row.prop(self, "lod")
        layout.prop(self, "frames")

    def paths(self):
        names = [f.name for f in self.files if f.name]
        if names:
            return [os.path.join(self.directory, name) for name in names]
        return [self.filepath] if self.filepath else []

    def execute(self, context):
        preferences = context.preferences.addons[__package__].preferences
        try:
            cli = tool.find_tool(preferences.cli_path)
        except tool.ToolError as error:
            self.report({"ERROR"}, str(error))
            return {"CANCELLED"}
        if not hasattr(bpy.types, "IMPORT_SCENE_OT_gltf"):
            self.report({"ERROR"}, "Blender's glTF importer is not enabled: tick \"Import-Export: glTF 2.0 "
                                   "format\" in Edit > Preferences > Add-ons")
            return {"CANCELLED"}
        _gltf_importer_ready()
        imported = 0
        for path in self.paths():
            if self.import_one(context, cli, preferences.ee_image, path):
                imported += 1
        return {"FINISHED"} if imported else {"CANCELLED"}

    def import_one(self, context, cli, ee_image, path):
        name = os.path.basename(path)
        with tempfile.TemporaryDirectory(prefix="vertigon-") as folder:
            target = os.path.join(folder, os.path.splitext(name)[0] + ".glb")
            arguments = tool.export_arguments(cli, path, target, self.all_lods, self.lod, self.frames, ee_image)
            try:
                said = tool.export_model(arguments, target)
            except tool.ToolError as error:
                self.report({"ERROR"}, str(error))
                return False
            for line in said:
                self.report({"WARNING"}, line)
            return self.import_gltf(context, target, name)

    def import_gltf(self, context, target, name):
        scene = context.scene
        timeline.prepare_scene(scene)
        before = set(bpy.data.objects)
        try:
            # Bone tips on each bone's own +Y keep the game's bone axes, so the keyed rotations
            # are the file's own; the rest pose the nodes hold is the bind pose the inverse bind
            # matrices describe, so nothing is guessed; the exported normals and split corners
            # are kept as they are.
            options = {"bone_heuristic": "BLENDER", "guess_original_bind_pose": False,
                       "import_shading": "NORMALS", "merge_vertices": False}
            # Later importers renamed or dropped some options; those they lack are left out.
            known = bpy.ops.import_scene.gltf.get_rna_type().properties.keys()
            result = bpy.ops.import_scene.gltf(filepath=target, **{k: v for k, v in options.items() if k in known})
        except RuntimeError as error:
            # Its last line says what went wrong; the lines before it are Python's traceback.
            lines = [line for line in str(error).splitlines() if line.strip()]
            self.report({"ERROR"}, "%s: Blender's glTF importer failed: %s" % (name, lines[-1] if lines else error))
            return False
        if "FINISHED" not in result:
            self.report({"ERROR"}, "%s: Blender's glTF importer could not read the export" % name)
            return False
        names = timeline.animation_names(target)
        first = None
        for obj in set(bpy.data.objects) - before:
            if obj.type == "ARMATURE":
                first = timeline.arrange_tracks(obj, names) or first
        timeline.show_clip(scene, first)
        return True


def menu_import(self, context):
    self.layout.operator(ImportVertigon.bl_idname, text=MENU_LABEL)


classes = (VertigonPreferences, ImportVertigon)


def register():
    for cls in classes:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    for cls in reversed(classes):
        bpy.utils.unregister_class(cls)
