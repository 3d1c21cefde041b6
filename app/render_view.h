// The window the model is drawn in: a GL canvas with an OpenGL 3.3 core context on which the
// renderer lives exactly as long as the view. It draws on demand: idle events keep it
// repainting while the viewer state says something moves, and otherwise it rests until a
// handler asks for a repaint or the window is exposed. Every paint advances the animation
// clock by the elapsed time and draws one scene frame. The mouse turns
// (left drag), pans (middle or Shift + left drag) and zooms (wheel) the orbit camera; a right
// click that does not move opens the model context menu.
#pragma once

#include <wx/glcanvas.h>

#include <functional>
#include <memory>

#include "app/frame_clock.h"
#include "render/gl_context.h"
#include "render/render_error.h"
#include "render/guides.h"
#include "render/renderer.h"
#include "render/rgb_image.h"

namespace vertigon {

class ViewerState;

class RenderView final : public wxGLCanvas {
public:
    using CommandHandler = std::function<void(int id)>;

    // `onCommand` receives the context menu's commands.
    RenderView(wxWindow* parent, ViewerState& state, CommandHandler onCommand, const wxPoint& position,
               const wxSize& size);
    // The renderer (and with it the device) goes before the OpenGL context.
    ~RenderView() override;

    // Makes the context current, builds the renderer on it and hands it to the viewer's scene.
    // The window must be realised (its frame shown). Throws RenderError when there is no
    // OpenGL 3.3 core context.
    void CreateRenderer();
    // Told once when drawing a frame fails (a shader program that does not compile or link);
    // the view draws nothing more.
    void SetFailureHandler(std::function<void(const RenderError&)> handler) { onFailure_ = std::move(handler); }
    Renderer* renderer() const { return renderer_.get(); }

    // Draws one frame without advancing the clock and returns it as the screen shows it; empty
    // without a renderer.
    RgbImage GrabFrame();
    // Called with the clock's step after every frame drawn by a paint (for the frame rate).
    void SetFrameObserver(std::function<void(uint32_t now)> observer) { frameObserver_ = std::move(observer); }

    // Called with the context current just before a finished frame is swapped to the screen,
    // and just after. Tests read the frame in the first; start-up timing uses the second.
    void SetBeforePresent(std::function<void()> hook) { beforePresent_ = std::move(hook); }
    void SetAfterPresent(std::function<void()> hook) { afterPresent_ = std::move(hook); }
    long presentedFrames() const { return presentedFrames_; }

    // The view size in device pixels, as the renderer draws it.
    int viewWidth() const { return viewWidth_; }
    int viewHeight() const { return viewHeight_; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnRightUp(wxMouseEvent& event);
    void DrawOverlays();
    void OnMenuCommand(wxCommandEvent& event);
    void Present();
    wxSize DeviceSize(const wxSize& logical) const;

    ViewerState& state_;
    CommandHandler onCommand_;
    std::unique_ptr<wxGLContext> context_;
    std::unique_ptr<CallbackGlContext> glContext_;
    std::unique_ptr<Renderer> renderer_;
    std::unique_ptr<GuideRenderer> guides_;
    FrameClock clock_;
    int viewWidth_;
    int viewHeight_;
    std::function<void()> beforePresent_;
    std::function<void()> afterPresent_;
    long presentedFrames_ = 0;
    std::function<void(const RenderError&)> onFailure_;
    bool failed_ = false;
    bool clockRunning_ = false;  // the last frame drawn was animating
    std::function<void(uint32_t)> frameObserver_;
    RgbImage* grabInto_ = nullptr;  // set while GrabFrame draws
    wxPoint rightDownAt_;
    bool rightDown_ = false;
};

}  // namespace vertigon
