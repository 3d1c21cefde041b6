#include "app/playback_bar.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <algorithm>

#include "scene/playback.h"

namespace vertigon {

namespace {

wxString SpeedLabel(float speed) {
    wxString text = wxString::FromDouble(speed);
    return text + wxString::FromUTF8("\xC3\x97");  // the multiplication sign
}

}  // namespace

PlaybackBar::PlaybackBar(wxWindow* parent, PlaybackBarActions actions)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "playback_bar"),
      actions_(std::move(actions)) {
    auto* back = new wxButton(this, wxID_ANY, "<", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    play_ = new wxButton(this, wxID_ANY, "Pause");
    auto* forward = new wxButton(this, wxID_ANY, ">", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    slider_ = new wxSlider(this, wxID_ANY, 0, 0, 1);
    frameText_ = new wxStaticText(this, wxID_ANY, "0 / 1", wxDefaultPosition, wxSize(110, -1), wxALIGN_CENTRE_HORIZONTAL);
    speed_ = new wxChoice(this, wxID_ANY);
    for (float speed : kPlaybackSpeeds) speed_->Append(SpeedLabel(speed));
    loop_ = new wxCheckBox(this, wxID_ANY, "Loop");
    back->SetToolTip("One frame back (,)");
    play_->SetToolTip("Play or pause (Space)");
    forward->SetToolTip("One frame forward (.)");

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(back, 0, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    row->Add(play_, 0, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    row->Add(forward, 0, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    row->Add(slider_, 1, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    row->Add(frameText_, 0, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    row->Add(new wxStaticText(this, wxID_ANY, "Speed"), 0, wxALIGN_CENTRE_VERTICAL | wxLEFT, 8);
    row->Add(speed_, 0, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    row->Add(loop_, 0, wxALIGN_CENTRE_VERTICAL | wxALL, 3);
    SetSizer(row);
    ShowSettings(1.0f, true);

    back->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { actions_.step(-1); });
    forward->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { actions_.step(1); });
    play_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { actions_.togglePause(); });
    slider_->Bind(wxEVT_SLIDER, [this](wxCommandEvent& event) { actions_.seek(event.GetInt()); });
    speed_->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
        const int index = event.GetSelection();
        if (index >= 0 && static_cast<size_t>(index) < kPlaybackSpeeds.size()) {
            actions_.speed(kPlaybackSpeeds[static_cast<size_t>(index)]);
        }
    });
    loop_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { actions_.loop(event.IsChecked()); });
}

void PlaybackBar::ShowClip(int32_t frame, int32_t frames, bool paused) {
    // The toolkit's calls cost more than a redraw's worth of time: only changes go through.
    if (frames != shownFrames_) slider_->SetRange(0, std::max(1, frames - 1));
    if (frame != shownFrame_) slider_->SetValue(frame);
    if (frame != shownFrame_ || frames != shownFrames_) frameText_->SetLabel(wxString::Format("%d / %d", frame, frames));
    if (static_cast<int>(paused) != shownPaused_) play_->SetLabel(paused ? "Play" : "Pause");
    shownFrame_ = frame;
    shownFrames_ = frames;
    shownPaused_ = paused;
}

void PlaybackBar::ShowSettings(float speed, bool loop) {
    const auto at = std::find(kPlaybackSpeeds.begin(), kPlaybackSpeeds.end(), speed);
    speed_->SetSelection(at == kPlaybackSpeeds.end() ? 2 : static_cast<int>(at - kPlaybackSpeeds.begin()));
    loop_->SetValue(loop);
}

}  // namespace vertigon
