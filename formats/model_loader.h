// The interface every model-file format implements.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "formats/load_context.h"
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
    virtual FileKind GetFileKind(const std::string& path) = 0;
    // Pairs of a description and a pattern, every element separated by '|'.
    virtual const char* GetFilterString() const = 0;
    // The class name, as tools report it.
    virtual const char* GetName() const = 0;
    // The format's short name, which begins the reason a file of it is refused ("RAW: ...").
    virtual const char* FormatName() const { return ""; }

    // A newly built model from bytes in memory; throws LoadError with a one-line reason when
    // none can be built.
    virtual std::unique_ptr<Model> LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) = 0;
    // Reads the file, and its companion when the format has one and it exists, then builds the
    // model as LoadFromMemory does. Throws FileError when the model file cannot be read.
    virtual std::unique_ptr<Model> Load(const std::string& path, const LoadContext& context);

protected:
    // The companion file of the model at `modelPath`; empty when the format pairs it with none.
    virtual std::string CompanionPath(const std::string& /*modelPath*/) const { return {}; }
};

}  // namespace vertigon
