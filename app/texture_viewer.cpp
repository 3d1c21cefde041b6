#include "app/texture_viewer.h"

#include <wx/button.h>
#include <wx/image.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/wrapsizer.h>

#include "app/model_stats.h"
#include "app/wx_text.h"
#include "scene/model.h"

namespace vertigon {

namespace {

// The texture over an 8-pixel chequer of light greys, weighted by its alpha.
wxBitmap TextureBitmap(const Texture& texture) {
    std::vector<uint8_t> rgb, alpha;
    if (!SplitTexturePixels(texture, &rgb, &alpha)) return wxBitmap();
    wxImage image(texture.width, texture.height, false);
    unsigned char* out = image.GetData();
    for (int y = 0; y < texture.height; ++y) {
        for (int x = 0; x < texture.width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(texture.width) + static_cast<size_t>(x);
            const int ground = ((x / 8 + y / 8) % 2) ? 200 : 240;
            for (int c = 0; c < 3; ++c) {
                out[i * 3 + c] = static_cast<unsigned char>((rgb[i * 3 + c] * alpha[i] + ground * (255 - alpha[i])) / 255);
            }
        }
    }
    return wxBitmap(image);
}

}  // namespace

TextureViewer::TextureViewer(wxWindow* parent, std::function<void()> onClosed,
                             std::function<void(int32_t, bool)> onAction)
    : wxFrame(parent, wxID_ANY, "Textures", wxDefaultPosition, wxSize(560, 480),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      panel_(new wxScrolledWindow(this, wxID_ANY)),
      onClosed_(std::move(onClosed)),
      onAction_(std::move(onAction)) {
    panel_->SetScrollRate(16, 16);
    Bind(wxEVT_CLOSE_WINDOW, &TextureViewer::OnClose, this);
}

void TextureViewer::ShowModel(const Model& model) {
    panel_->DestroyChildren();
    auto* sizer = new wxWrapSizer(wxHORIZONTAL);
    imageCount_ = 0;
    for (int32_t i = 0; i < model.textureCount(); ++i) {
        const Texture& texture = model.textures[static_cast<size_t>(i)];
        auto* cell = new wxBoxSizer(wxVERTICAL);
        cell->Add(new wxStaticText(panel_, wxID_ANY, ToWx(TextureCaption(i, texture))), 0, wxBOTTOM, 4);
        const wxBitmap bitmap = TextureBitmap(texture);
        if (bitmap.IsOk()) {
            cell->Add(new wxStaticBitmap(panel_, wxID_ANY, bitmap));
            ++imageCount_;
            auto* buttons = new wxBoxSizer(wxHORIZONTAL);
            for (const bool replace : {false, true}) {
                auto* button = new wxButton(panel_, wxID_ANY, replace ? "Replace..." : "Export...");
                // After the press: replacing rebuilds this window's content, button included.
                button->Bind(wxEVT_BUTTON, [this, i, replace](wxCommandEvent&) {
                    CallAfter([this, i, replace] {
                        if (onAction_) onAction_(i, replace);
                    });
                });
                buttons->Add(button, 0, wxRIGHT, 4);
            }
            cell->Add(buttons, 0, wxTOP, 4);
        } else {
            cell->Add(new wxStaticText(panel_, wxID_ANY, "(no pixels)"));
        }
        sizer->Add(cell, 0, wxALL, 8);
    }
    if (model.textureCount() == 0) sizer->Add(new wxStaticText(panel_, wxID_ANY, "The model has no textures."), 0, wxALL, 8);
    panel_->SetSizer(sizer);
    panel_->FitInside();
    panel_->Layout();
}

void TextureViewer::OnClose(wxCloseEvent&) {
    if (onClosed_) onClosed_();
    Destroy();
}

}  // namespace vertigon
