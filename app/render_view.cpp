#include "app/render_view.h"

#include <wx/dcclient.h>

#include <cstdlib>
#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "app/model_context_menu.h"
#include "app/viewer_ids.h"
#include "app/viewer_state.h"
#include "render/render_error.h"

namespace vertigon {

namespace {

wxGLAttributes CanvasAttributes() {
    // Double buffered RGBA with a 16-bit depth buffer, the depth the viewer has always drawn with.
    wxGLAttributes attributes;
    attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(16).EndList();
    return attributes;
}

wxGLContextAttrs ContextAttributes() {
    wxGLContextAttrs attributes;
    attributes.PlatformDefaults().CoreProfile().OGLVersion(3, 3).EndList();
    return attributes;
}

}  // namespace

RenderView::RenderView(wxWindow* parent, ViewerState& state, CommandHandler onCommand, const wxPoint& position,
                       const wxSize& size)
    : wxGLCanvas(parent, CanvasAttributes(), wxID_ANY, position, size, wxSUNKEN_BORDER,
                 wxGetTranslation("some text")),
      state_(state),
      onCommand_(std::move(onCommand)),
      clock_(MonotonicMilliseconds()),
      viewWidth_(size.GetWidth()),
      viewHeight_(size.GetHeight()) {
    // Every pixel is drawn by OpenGL: the toolkit must not clear the window first.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    const wxGLContextAttrs contextAttributes = ContextAttributes();
    context_ = std::make_unique<wxGLContext>(this, nullptr, &contextAttributes);

    Bind(wxEVT_PAINT, &RenderView::OnPaint, this);
    Bind(wxEVT_IDLE, &RenderView::OnIdle, this);
    Bind(wxEVT_SIZE, &RenderView::OnSize, this);
    Bind(wxEVT_MOUSEWHEEL, &RenderView::OnMouseWheel, this);
    Bind(wxEVT_MOTION, &RenderView::OnMotion, this);
    Bind(wxEVT_LEFT_DOWN, &RenderView::OnLeftDown, this);
    Bind(wxEVT_RIGHT_DOWN, &RenderView::OnRightDown, this);
    Bind(wxEVT_RIGHT_UP, &RenderView::OnRightUp, this);
    Bind(wxEVT_MENU, &RenderView::OnMenuCommand, this, kIdMenuTexture, kIdMenuLastLod);
}

RenderView::~RenderView() {
    state_.scene().drawOverlays = nullptr;
    guides_.reset();
    renderer_.reset();
    glContext_.reset();
    context_.reset();
}

wxSize RenderView::DeviceSize(const wxSize& logical) const {
    const double scale = GetContentScaleFactor();
    return {static_cast<int>(logical.GetWidth() * scale + 0.5), static_cast<int>(logical.GetHeight() * scale + 0.5)};
}

void RenderView::CreateRenderer() {
    if (renderer_) return;
    if (!context_->IsOK()) throw RenderError("the display offers no OpenGL 3.3 core context");
    if (!SetCurrent(*context_)) throw RenderError("the OpenGL context cannot be made current on the view");
    glContext_ = std::make_unique<CallbackGlContext>([this] { SetCurrent(*context_); }, [this] { Present(); });
    const wxSize size = DeviceSize(GetClientSize());
    viewWidth_ = size.GetWidth();
    viewHeight_ = size.GetHeight();
    renderer_ = std::make_unique<Renderer>(*glContext_, viewWidth_ > 0 ? viewWidth_ : 1,
                                           viewHeight_ > 0 ? viewHeight_ : 1);
    state_.scene().SetRenderer(renderer_.get());
    guides_ = std::make_unique<GuideRenderer>(renderer_->device());
    state_.scene().drawOverlays = [this] { DrawOverlays(); };
    state_.SetViewSize(viewWidth_, viewHeight_);
    Refresh(false);
}

void RenderView::DrawOverlays() {
    const Camera* camera = state_.scene().camera;
    if (!guides_ || !camera) return;
    if (state_.gridShown) guides_->DrawGrid(state_.gridLines());
    if (state_.axesShown) guides_->DrawAxes(CornerAxes(camera->ViewMatrix(), camera->aspect));
}

RgbImage RenderView::GrabFrame() {
    RgbImage image;
    if (!renderer_ || !SetCurrent(*context_)) return image;
    grabInto_ = &image;
    state_.DrawFrame(viewWidth_, viewHeight_, 0.0f);
    grabInto_ = nullptr;
    return image;
}

void RenderView::Present() {
    if (grabInto_ && renderer_) *grabInto_ = renderer_->device().ReadPixels();
    if (beforePresent_) beforePresent_();
    SwapBuffers();
    ++presentedFrames_;
    if (afterPresent_) afterPresent_();
}

void RenderView::OnPaint(wxPaintEvent&) {
    wxPaintDC validate(this);
    if (!renderer_ || failed_ || !IsShownOnScreen()) return;
    const uint32_t now = MonotonicMilliseconds();
    // The clock counts only while the previous frame was animating: a clip that plays again
    // after a rest goes on from where it stood, not by the time the view rested.
    const float step = clockRunning_ ? clock_.Step(now) : 0.0f;
    try {
        state_.DrawFrame(viewWidth_, viewHeight_, step);
    } catch (const RenderError& e) {
        failed_ = true;
        if (onFailure_) onFailure_(e);
        return;
    }
    clock_.Mark(now);
    clockRunning_ = state_.Animating();
    if (frameObserver_) frameObserver_(now);
}

void RenderView::OnIdle(wxIdleEvent& event) {
    // While something moves, frames follow each other as fast as the screen takes them. Else
    // the view rests: the next frame waits for an event that changes the picture (a handler's
    // Refresh, an expose).
    if (failed_ || !state_.Moving()) return;
    Refresh(false);
    wxMilliSleep(1);
    event.RequestMore();
}

void RenderView::OnSize(wxSizeEvent& event) {
    // The event carries the outer size; the drawable is the client area inside the border.
    const wxSize size = DeviceSize(GetClientSize());
    if (renderer_) renderer_->Resize(size.GetWidth(), size.GetHeight());
    viewWidth_ = size.GetWidth();
    viewHeight_ = size.GetHeight();
    state_.SetViewSize(viewWidth_, viewHeight_);
    Refresh(false);
    event.Skip();
}

void RenderView::OnMouseWheel(wxMouseEvent& event) {
    // A sideways scroll (a touchpad's) is not a zoom.
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL) return;
    state_.Zoom(event.GetWheelRotation());
    Refresh(false);
}

void RenderView::OnMotion(wxMouseEvent& event) {
    const wxSize client = GetClientSize();
    OrbitMotion motion;
    motion.x = event.GetX();
    motion.y = event.GetY();
    motion.width = client.GetWidth();
    motion.height = client.GetHeight();
    motion.alt = event.AltDown();
    motion.shift = event.ShiftDown();
    motion.left = event.LeftIsDown();
    motion.middle = event.MiddleIsDown();
    if (state_.Motion(motion)) Refresh(false);
}

void RenderView::OnLeftDown(wxMouseEvent&) {
    // The click only starts a drag; the keys go to the frame whatever has the focus.
    SetFocus();
}

void RenderView::OnRightDown(wxMouseEvent& event) {
    rightDown_ = true;
    rightDownAt_ = event.GetPosition();
}

void RenderView::OnRightUp(wxMouseEvent& event) {
    // A right drag is not a click: the menu opens only where the button went down.
    constexpr int kSlack = 3;
    const wxPoint moved = event.GetPosition() - rightDownAt_;
    const bool click = rightDown_ && std::abs(moved.x) <= kSlack && std::abs(moved.y) <= kSlack;
    rightDown_ = false;
    if (!click) return;
    const std::unique_ptr<wxMenu> menu = BuildModelContextMenu(state_.current());
    PopupMenu(menu.get(), event.GetPosition());
    Refresh(false);
}

void RenderView::OnMenuCommand(wxCommandEvent& event) {
    if (onCommand_) onCommand_(event.GetId());
}

}  // namespace vertigon
