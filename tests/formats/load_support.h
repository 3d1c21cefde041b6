// Loading one file through one loader, in a workspace of its own that finds no program image.
#pragma once

#include <memory>
#include <string>

#include "formats/model_loader.h"
#include "formats/workspace.h"

namespace vertigon::testing {

inline LoaderOptions NoImageSearch() {
    LoaderOptions options;
    options.searchDefaultEeImagePlaces = false;
    return options;
}

inline std::unique_ptr<Model> LoadAlone(ModelLoader&& loader, const std::string& path) {
    Workspace workspace(NoImageSearch());
    return loader.Load(path, workspace.context());
}

}  // namespace vertigon::testing
