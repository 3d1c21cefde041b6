// The viewer's texture edits: a texture replaced by a picture through the format's texture
// writer, kept as the edited file's bytes until File > Save model as... writes them.
#include <exception>

#include "app/viewer_state.h"
#include "formats/file_io.h"
#include "formats/load_error.h"
#include "formats/texture_writer.h"

namespace vertigon {

bool ViewerState::ReplaceTexture(int32_t index, const std::string& pictureName, int32_t width, int32_t height,
                                 std::vector<uint8_t> rgba, std::string* message) {
    Model* model = currentModel();
    ModelLoader* loader = model ? workspace_->registry().FindLoader(currentPath_) : nullptr;
    if (!loader) {
        *message = "No model is shown.";
        return false;
    }
    const auto read = [&](std::span<const uint8_t> bytes) {
        LoadFailure failure;
        std::unique_ptr<Model> written = workspace_->registry().LoadFromMemory(*loader, ModelBytes{bytes, currentPath_}, &failure);
        if (!written) throw LoadError(failure.message);
        return written;
    };
    try {
        const std::vector<uint8_t> file = edited_ ? *edited_ : ReadWholeFile(currentPath_);
        const TextureReplacement replacement{index, pictureName, width, height, std::move(rgba)};
        RetexturedFile result = RetextureModelFile(loader->FormatName(), file, *model, {&replacement, 1}, read);
        message->clear();
        for (const std::string& note : result.notes) *message += (message->empty() ? "" : "; ") + note;
        if (result.bytes == file) return true;
        model->textures = std::move(result.model->textures);
        model->palettes = std::move(result.model->palettes);
        ++model->textureRevision;
        edited_ = std::move(result.bytes);
    } catch (const std::exception& failure) {
        *message = failure.what();
        return false;
    }
    if (ui_) ui_->ShownModelChanged();
    return true;
}

bool ViewerState::SaveModelAs(const std::string& path, std::string* failure) {
    if (!currentModel()) {
        *failure = "No model is shown.";
        return false;
    }
    try {
        const std::vector<uint8_t> file = edited_ ? *edited_ : ReadWholeFile(currentPath_);
        WriteWholeFile(path, file);
    } catch (const LoadError& error) {
        *failure = error.what();
        return false;
    }
    currentPath_ = path;
    lastPath_ = path;
    edited_.reset();
    if (ui_) ui_->ShownModelChanged();
    return true;
}

}  // namespace vertigon
