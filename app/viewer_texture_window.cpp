// The texture window's "Export..." and "Replace...", File > Save model as... and the question
// about unsaved changes.
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <cstdio>
#include <filesystem>

#include "app/main_frame.h"
#include "app/texture_viewer.h"
#include "app/viewer.h"
#include "app/wx_text.h"
#include "image/image_error.h"
#include "image/png_codec.h"
#include "image/texture_pixels.h"

namespace vertigon {

namespace {

std::string TexturePictureName(const std::string& modelPath, int32_t index) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "_%03d.png", static_cast<int>(index));
    return std::filesystem::path(modelPath).stem().string() + suffix;
}

}  // namespace

wxWindow* Viewer::DialogParent() const {
    if (textures_) return textures_.get();
    return frame_.get();
}

void Viewer::ChooseTextureExport(int32_t index) {
    const Model* model = state_.currentModel();
    if (!model || index < 0 || index >= model->textureCount()) return;
    wxFileDialog dialog(DialogParent(), "Export texture",
                        PathToWx(preferences_.lastFolder), PathToWx(TexturePictureName(state_.currentPath(), index)),
                        "PNG image (*.png)|*.png", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return;
    const Texture& texture = model->textures[static_cast<size_t>(index)];
    try {
        WritePngFile(PathFromWx(dialog.GetPath()), texture.width, texture.height, 4, SwapRedBlue(texture.pixels));
    } catch (const ImageError& failure) {
        wxMessageBox(ToWx(failure.what()), "Error", wxOK | wxICON_ERROR, frame_);
    }
}

void Viewer::ChooseTextureReplacement(int32_t index) {
    if (!state_.currentModel()) return;
    wxFileDialog dialog(DialogParent(), "Replace texture",
                        PathToWx(preferences_.lastFolder), "", "PNG image (*.png)|*.png", wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return;
    const std::string path = PathFromWx(dialog.GetPath());
    std::string message;
    try {
        RgbaPixels picture = ReadPngFile(path);
        if (state_.ReplaceTexture(index, path, picture.width, picture.height, std::move(picture.pixels), &message)) {
            ShowStatus(message);
            return;
        }
    } catch (const ImageError& failure) {
        message = failure.what();
    }
    wxMessageBox(ToWx(message), "Error", wxOK | wxICON_ERROR, frame_);
}

bool Viewer::ChooseSaveModel() {
    if (!state_.currentModel()) return false;
    const std::filesystem::path shown(state_.currentPath());
    wxFileDialog dialog(frame_, "Save model as", PathToWx(shown.parent_path().string()),
                        PathToWx(shown.filename().string()), ToWx(FileDialogWildcard()),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return false;
    std::string failure;
    if (!state_.SaveModelAs(PathFromWx(dialog.GetPath()), &failure)) {
        wxMessageBox(ToWx(failure), "Error", wxOK | wxICON_ERROR, frame_);
        return false;
    }
    if (frame_) frame_->AddRecentFile(state_.currentPath());
    return true;
}

bool Viewer::ConfirmUnsavedChanges() {
    if (!state_.unsavedChanges()) return true;
    const std::string name = std::filesystem::path(state_.currentPath()).filename().string();
    const int answer = wxMessageBox(ToWx("Save the changed textures of " + name + "?"), "Vertigon",
                                    wxYES_NO | wxCANCEL | wxICON_QUESTION, frame_);
    if (answer == wxCANCEL) return false;
    return answer == wxNO || ChooseSaveModel();
}

}  // namespace vertigon
