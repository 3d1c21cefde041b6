# SPDX-License-Identifier: GPL-3.0-or-later
# Running vertigon-cli export for one model file: which program, which arguments, and what it said.

import os
import shutil
import subprocess

TOOL_NAME = "vertigon-cli"


class ToolError(Exception):
    """The tool could not be run, or it could not export the file; the text is what to show."""


def find_tool(configured):
    """The vertigon-cli to run: the configured path, or the one on PATH."""
    if configured:
        path = os.path.abspath(os.path.expanduser(configured))
        if not os.path.isfile(path) or not os.access(path, os.X_OK):
            raise ToolError("%s is not an executable file (set %s in the add-on's preferences)"
                            % (path, TOOL_NAME))
        return path
    found = shutil.which(TOOL_NAME)
    if not found:
        raise ToolError("%s was not found on PATH; install Vertigon or set the program in the "
                        "add-on's preferences" % TOOL_NAME)
    return found


def export_arguments(tool, model, target, all_lods, lod, frames, ee_image):
    arguments = [tool, "export", model, "-o", target, "--lod", "all" if all_lods else str(lod),
                 "--frames", str(frames), "-j", "1"]
    if ee_image:
        arguments += ["--ee-image", os.path.abspath(os.path.expanduser(ee_image))]
    return arguments


def export_model(arguments, target):
    """Runs the export; returns the tool's message lines (warnings) when the file was written.

    Raises ToolError with the tool's own lines when it could not export the model."""
    try:
        run = subprocess.run(arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, check=False)
    except OSError as error:
        raise ToolError("cannot run %s: %s" % (arguments[0], error.strerror or error)) from error
    lines = [line for line in run.stderr.decode("utf-8", "replace").splitlines() if line.strip()]
    # The tool's own lines name it; the others are the emulator's chatter ("Init EE memory...").
    own = [line for line in lines if line.startswith(TOOL_NAME + " ")]
    if run.returncode != 0 or not os.path.isfile(target):
        shown = own or lines or ["%s export ended with status %d" % (TOOL_NAME, run.returncode)]
        raise ToolError("\n".join(shown))
    return own
