// The bar under the view that drives the shown animation: play/pause, one frame back and
// forward, a slider over the clip with the frame number and the clip's length, the speed and
// the loop switch. It only shows and reports; the viewer decides.
#pragma once

#include <wx/panel.h>

#include <cstdint>
#include <functional>

class wxButton;
class wxCheckBox;
class wxChoice;
class wxSlider;
class wxStaticText;

namespace vertigon {

struct PlaybackBarActions {
    std::function<void()> togglePause;
    std::function<void(int32_t delta)> step;
    std::function<void(int32_t frame)> seek;
    std::function<void(float speed)> speed;
    std::function<void(bool loop)> loop;
};

class PlaybackBar final : public wxPanel {
public:
    PlaybackBar(wxWindow* parent, PlaybackBarActions actions);

    // Frame `frame` of `frames`; the button reads "Play" while paused.
    void ShowClip(int32_t frame, int32_t frames, bool paused);
    // The speed choice and the loop switch as the viewer holds them.
    void ShowSettings(float speed, bool loop);

    wxSlider* slider() const { return slider_; }
    wxButton* playButton() const { return play_; }

private:
    PlaybackBarActions actions_;
    wxButton* play_;
    wxSlider* slider_;
    wxStaticText* frameText_;
    wxChoice* speed_;
    wxCheckBox* loop_;
    int32_t shownFrame_ = -1, shownFrames_ = -1;
    int shownPaused_ = -1;
};

}  // namespace vertigon
