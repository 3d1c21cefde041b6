// A window that shows every texture of the shown model at its own size, over a chequered
// ground so that transparency shows, each with its index and size.
#pragma once

#include <wx/frame.h>
#include <wx/scrolwin.h>

#include <cstdint>
#include <functional>

namespace vertigon {

struct Model;

class TextureViewer final : public wxFrame {
public:
    // `onClosed` runs when the user closes the window (before it is destroyed); `onAction` when
    // a texture's "Export..." (replace false) or "Replace..." (replace true) is pressed, once
    // the press is handled (the window's content may then be rebuilt).
    TextureViewer(wxWindow* parent, std::function<void()> onClosed,
                  std::function<void(int32_t texture, bool replace)> onAction = {});

    // Replaces the content with `model`'s textures.
    void ShowModel(const Model& model);
    int imageCount() const { return imageCount_; }

private:
    void OnClose(wxCloseEvent& event);

    wxScrolledWindow* panel_;
    std::function<void()> onClosed_;
    std::function<void(int32_t, bool)> onAction_;
    int imageCount_ = 0;
};

}  // namespace vertigon
