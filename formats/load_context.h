// What a loader works with besides the bytes: the workspace's GS memory image, its emulator,
// its status sink and the options it was made with. Handed out by the workspace; a loader
// keeps nothing of it beyond the load (MDLS animations keep the emulator).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace vertigon {

namespace mdls {
class Emulator;
}

class GsMemoryImage;
class StatusSink;
struct LoaderOptions;

struct LoadContext {
    GsMemoryImage& gsMemory;
    std::shared_ptr<mdls::Emulator> emulator;
    const StatusSink& status;
    const LoaderOptions& options;
};

// One model file in memory, with the companion animation file its format pairs it with.
struct ModelBytes {
    std::span<const uint8_t> file;
    // How messages name the file and its companion (the paths, for a load from files).
    std::string name = "the model file";
    std::optional<std::span<const uint8_t>> companion = std::nullopt;
    std::string companionName = "the animation file";
    // Set when the companion exists but could not be read; says why.
    std::string companionReadError = {};
};

}  // namespace vertigon
