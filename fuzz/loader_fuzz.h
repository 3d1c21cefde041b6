// The body of every loader target: the input is a model file in memory, loaded through one
// workspace kept for the whole process (a fresh one per input would spend its time clearing
// the 4 MiB GS memory image; every texture clears the pages it uses, so nothing carries over).
// A refused file is fine; a crash, a sanitizer report or an escaping exception of another kind
// is a finding.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>

#include "formats/load_error.h"
#include "formats/workspace.h"

namespace vertigon::fuzzing {

inline StatusSink QuietStatus() {
    StatusSink sink([](std::string_view) {});
    sink.SetEmulatorWriter([](std::string_view) {});
    return sink;
}

inline Workspace& FuzzWorkspace() {
    static Workspace workspace(LoaderOptions{.eeImagePath = {}, .searchDefaultEeImagePlaces = false}, QuietStatus());
    return workspace;
}

inline std::unique_ptr<Model> LoadOrRefuse(ModelLoader& loader, const ModelBytes& bytes, Workspace& workspace) {
    try {
        return loader.LoadFromMemory(bytes, workspace.context());
    } catch (const LoadError&) {
        return nullptr;
    }
}

template <typename Loader>
std::unique_ptr<Model> LoadOrRefuse(const ModelBytes& bytes) {
    Loader loader;
    return LoadOrRefuse(loader, bytes, FuzzWorkspace());
}

// An MDLS input: the MDLS file's size (4 bytes, little-endian), the MDLS file, then its MSET
// (none when nothing follows). Nothing when the size runs past the input.
inline std::optional<ModelBytes> MdlsInput(std::span<const uint8_t> input) {
    if (input.size() < 4) return std::nullopt;
    uint32_t modelSize;
    std::memcpy(&modelSize, input.data(), 4);
    const std::span<const uint8_t> rest = input.subspan(4);
    if (modelSize > rest.size()) return std::nullopt;
    ModelBytes bytes{.file = rest.first(modelSize)};
    if (modelSize < rest.size()) bytes.companion = rest.subspan(modelSize);
    return bytes;
}

}  // namespace vertigon::fuzzing
