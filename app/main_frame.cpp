#include "app/main_frame.h"

#include <wx/image.h>
#include <wx/menu.h>
#include <wx/mstream.h>
#include <wx/toolbar.h>

#include "app/toolbar_icons.h"
#include "app/viewer.h"
#include "app/viewer_ids.h"

namespace vertigon {

namespace {

// One of the three images held in the program, decoded through the toolkit's PNG handler.
wxBitmap ToolImage(int image) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    const PngData png = ToolbarIconPng(image);
    wxMemoryInputStream stream(png.bytes, png.size);
    return wxBitmap(wxImage(stream, wxBITMAP_TYPE_PNG));
}

struct ToolButton {
    int id;
    const char* label;
    const char* shortHelp;
    const char* longHelp;
    int image;
};

constexpr ToolButton kTools[] = {
    {kIdTextureToggle, "TextureToggle", "Texture", "Toggle textures On/Off", 1},
    {kIdBlendingToggle, "BlendingToggle", "Blending", "Toggle texture blending On/Off", 1},
    {kIdFlatToggle, "FlatToggle", "Flat", "Toggle flat shading On/Off", 1},
    {kIdBonesToggle, "BonesToggle", "Bones", "Toggle bones On/Off", 2},
    {kIdWireframeToggle, "WireframeToggle", "Wireframe", "Toggle wireframe On/Off", 3},
    {kIdViewTexture, "ViewTexture", "View textures", "Open the texture viewer", 1},
};

}  // namespace

MainFrame::MainFrame(Viewer& viewer, const wxString& title, const wxPoint& position, const wxSize& size)
    : wxFrame(nullptr, wxID_ANY, title, position, size, wxDEFAULT_FRAME_STYLE, "frame"), viewer_(viewer) {
    BuildMenus();
    CreateStatusBar(1, wxSTB_DEFAULT_STYLE | wxFULL_REPAINT_ON_RESIZE, 0, "status_line");
    SetStatusText("Welcome to Vertigon!");
    BuildToolBar();

    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(true); }, kIdExit);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ShowAbout(); }, kIdAbout);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ChooseBackgroundColour(); }, kIdBackgroundColour);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ChooseFile(); }, kIdOpen);
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) { viewer_.OnSwitchTool(event.GetId(), event.GetInt() != 0); },
         kIdTextureToggle, kIdWireframeToggle);
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) { viewer_.OnViewTextureTool(event.GetInt() != 0); },
         kIdViewTexture);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ShowAnimationBrowser(); }, kIdShowAnimations);
    Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
}

void MainFrame::BuildMenus() {
    auto* file = new wxMenu;
    file->Append(kIdOpen, "&Open");
    file->AppendSeparator();
    file->Append(kIdExit, "E&xit");
    auto* view = new wxMenu;
    view->Append(kIdBackgroundColour, "&Background color");
    view->Append(kIdShowAnimations, "&Animations", "Show the animation browser");
    auto* help = new wxMenu;
    help->Append(kIdAbout, "&About...");
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(view, "&View");
    bar->Append(help, "&Help");
    SetMenuBar(bar);
}

void MainFrame::BuildToolBar() {
    wxToolBar* toolBar = CreateToolBar(wxTB_DEFAULT_STYLE, wxID_ANY, "toolbar");
    for (const ToolButton& tool : kTools) {
        toolBar->AddCheckTool(tool.id, tool.label, ToolImage(tool.image), wxNullBitmap, tool.shortHelp,
                              tool.longHelp);
    }
    toolBar->SetToolBitmapSize(wxSize(32, 32));
    toolBar->Realize();
}

void MainFrame::RefreshTools() {
    wxToolBar* toolBar = GetToolBar();
    if (!toolBar) return;
    for (int id = kIdTextureToggle; id <= kIdWireframeToggle; ++id) toolBar->ToggleTool(id, viewer_.state().SwitchOn(id));
    toolBar->ToggleTool(kIdViewTexture, viewer_.textureViewerShown());
}

void MainFrame::OnClose(wxCloseEvent&) {
    // The scene and the models go while the view's device still lives; the device goes with
    // the view.
    viewer_.ReleaseScene();
    Destroy();
}

}  // namespace vertigon
