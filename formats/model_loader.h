// The interface every model-file format implements.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "scene/model.h"

namespace vertigon {

enum FileKind : int32_t {
    FileKindNone = 0,
    FileKindModel = 1,
    FileKindAnimation = 2,
};

class ModelLoader {
public:
    virtual ~ModelLoader() = default;
    // Whether this loader accepts the file.
    virtual bool CanLoad(const std::string& path) = 0;
    // A newly built model; throws LoadError with a one-line reason when none can be built.
    virtual std::unique_ptr<Model> Load(const std::string& path) = 0;
    virtual FileKind GetFileKind(const std::string& path) = 0;
    // Pairs of a description and a pattern, every element separated by '|'.
    virtual const char* GetFilterString() const = 0;
    // The class name, as tools report it.
    virtual const char* GetName() const = 0;
};

}  // namespace vertigon
