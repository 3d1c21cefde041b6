// The body of every loader target: the input is a model file in memory, loaded through one
// workspace kept for the whole process (a fresh one per input would spend its time clearing
// the 4 MiB GS memory image; every texture clears the pages it uses, so nothing carries over).
// A refused file is fine; a crash, a sanitizer report or an escaping exception of another kind
// is a finding.
#pragma once

#include <cstdint>
#include <memory>

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

template <typename Loader>
std::unique_ptr<Model> LoadOrRefuse(const ModelBytes& bytes) {
    Loader loader;
    try {
        return loader.LoadFromMemory(bytes, FuzzWorkspace().context());
    } catch (const LoadError&) {
        return nullptr;
    }
}

}  // namespace vertigon::fuzzing
