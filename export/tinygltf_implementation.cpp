// tinygltf's code, compiled once for the whole program.
#define TINYGLTF_IMPLEMENTATION
#include "export/tinygltf.h"
