// The OpenGL entry points the device layer calls: desktop OpenGL 3.3 core through libepoxy, or,
// in a WebAssembly build, WebGL2 through Emscripten's OpenGL ES 3.0 headers. VERTIGON_GL_ES
// marks the places where ES 3.0 lacks a desktop feature (polygon modes, BGRA sources, offsets
// for lines).
#pragma once

#if defined(__EMSCRIPTEN__)
#include <GLES3/gl3.h>
#define VERTIGON_GL_ES 1
#else
#include <epoxy/gl.h>
#endif
