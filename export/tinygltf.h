// The one way this program includes tinygltf: its image decoding and encoding are compiled out
// (textures are encoded by the image room), and every file sees the same declarations.
#pragma once

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
