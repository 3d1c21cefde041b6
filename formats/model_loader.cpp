#include "formats/model_loader.h"

#include <vector>

#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon {

std::unique_ptr<Model> ModelLoader::Load(const std::string& path, const LoadContext& context) {
    const std::vector<uint8_t> file = ReadWholeFile(path);
    ModelBytes bytes{file, path, std::nullopt, {}, {}};
    std::vector<uint8_t> companion;
    bytes.companionName = CompanionPath(path);
    if (!bytes.companionName.empty() && FileOpens(bytes.companionName)) {
        try {
            companion = ReadWholeFile(bytes.companionName);
            bytes.companion = companion;
        } catch (const FileError& e) {
            bytes.companionReadError = e.what();
        }
    }
    return LoadFromMemory(bytes, context);
}

}  // namespace vertigon
