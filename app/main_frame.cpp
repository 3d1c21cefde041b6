#include "app/main_frame.h"

#include <wx/image.h>
#include <wx/menu.h>
#include <wx/mstream.h>
#include <wx/sizer.h>
#include <wx/toolbar.h>

#include "app/toolbar_icons.h"
#include "app/viewer.h"
#include "app/viewer_ids.h"
#include "app/wx_text.h"

namespace vertigon {

namespace {

// One of the six images held in the program, decoded through the toolkit's PNG handler.
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
    {kIdBlendingToggle, "BlendingToggle", "Blending", "Toggle texture blending On/Off", 2},
    {kIdFlatToggle, "FlatToggle", "Flat", "Toggle flat shading On/Off", 3},
    {kIdBonesToggle, "BonesToggle", "Bones", "Toggle bones On/Off", 4},
    {kIdWireframeToggle, "WireframeToggle", "Wireframe", "Toggle wireframe On/Off", 5},
    {kIdViewTexture, "ViewTexture", "View textures", "Open the texture viewer", 6},
};

}  // namespace

MainFrame::MainFrame(Viewer& viewer, const wxString& title, const wxPoint& position, const wxSize& size)
    : wxFrame(nullptr, wxID_ANY, title, position, size, wxDEFAULT_FRAME_STYLE, "frame"), viewer_(viewer) {
    BuildMenus();
    CreateStatusBar(2, wxSTB_DEFAULT_STYLE | wxFULL_REPAINT_ON_RESIZE, 0, "status_line");
    const int widths[2] = {-1, 140};  // the second field holds the frame rate
    SetStatusWidths(2, widths);
    SetStatusText("Welcome to Vertigon!");
    BuildToolBar();

    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(false); }, kIdExit);  // unsaved changes may keep it open
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ShowAbout(); }, kIdAbout);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ChooseBackgroundColour(); }, kIdBackgroundColour);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ChooseFile(); }, kIdOpen);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ChooseExport(); }, kIdExport);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ChooseSaveModel(); }, kIdSaveModelAs);
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) { viewer_.OnSwitchTool(event.GetId(), event.GetInt() != 0); },
         kIdTextureToggle, kIdWireframeToggle);
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) { viewer_.OnViewTextureTool(event.GetInt() != 0); },
         kIdViewTexture);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { viewer_.ShowAnimationBrowser(); }, kIdShowAnimations);
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) { viewer_.OnViewCommand(event.GetId(), event.IsChecked()); },
         kIdFrameModel, kIdPreviousFile);
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
        const size_t index = static_cast<size_t>(event.GetId() - wxID_FILE1);
        if (index < history_.GetCount()) viewer_.OpenFile(PathFromWx(history_.GetHistoryFile(index)));
    }, wxID_FILE1, wxID_FILE9);
    Bind(wxEVT_CHAR_HOOK, &MainFrame::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
}

void MainFrame::BuildMenus() {
    auto* file = new wxMenu;
    file->Append(kIdOpen, "&Open");
    file->Append(kIdExport, "&Export...", "Export the shown model as glTF 2.0");
    file->Enable(kIdExport, false);
    file->Append(kIdSaveModelAs, "Save model &as...", "Write the shown model's file with its changed textures");
    file->Enable(kIdSaveModelAs, false);
    file->Append(kIdSaveImage, "&Save image...\tCtrl+S", "Save the view as a PNG image");
    auto* recent = new wxMenu;
    file->AppendSubMenu(recent, "&Recent files");
    history_.UseMenu(recent);
    file->Append(kIdNextFile, "&Next file in folder\tPgDn", "Open the next model file of the shown file's folder");
    file->Append(kIdPreviousFile, "&Previous file in folder\tPgUp",
                 "Open the previous model file of the shown file's folder");
    file->AppendSeparator();
    file->Append(kIdExit, "E&xit");
    auto* view = new wxMenu;
    view->Append(kIdBackgroundColour, "&Background color");
    view->Append(kIdShowAnimations, "&Animations", "Show the animation browser");
    view->AppendSeparator();
    view->Append(kIdFrameModel, "&Frame model\tF", "Fit the model into the view");
    view->Append(kIdResetView, "&Reset view\tHome", "Back to the start-up camera");
    view->AppendCheckItem(kIdFrameOnOpen, "Frame on &open", "Fit every newly opened model into the view");
    view->AppendCheckItem(kIdGrid, "&Grid", "A ground grid under the model");
    view->AppendCheckItem(kIdAxes, "A&xes", "The x, y and z axes in a corner of the view");
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
    if (wxMenuBar* bar = GetMenuBar()) {
        bar->Enable(kIdExport, viewer_.state().currentModel() != nullptr);
        bar->Enable(kIdSaveModelAs, viewer_.state().currentModel() != nullptr);
    }
    wxToolBar* toolBar = GetToolBar();
    if (!toolBar) return;
    for (int id = kIdTextureToggle; id <= kIdWireframeToggle; ++id) toolBar->ToggleTool(id, viewer_.state().SwitchOn(id));
    toolBar->ToggleTool(kIdViewTexture, viewer_.textureViewerShown());
    if (wxMenuBar* bar = GetMenuBar()) {
        bar->Check(kIdFrameOnOpen, viewer_.state().frameOnOpen);
        bar->Check(kIdGrid, viewer_.state().gridShown);
        bar->Check(kIdAxes, viewer_.state().axesShown);
    }
}

void MainFrame::LayOutChildren(wxWindow* view, wxWindow* bar) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(view, 1, wxEXPAND);
    column->Add(bar, 0, wxEXPAND);
    SetSizer(column);
    Layout();
}

void MainFrame::AddRecentFile(const std::string& path) { history_.AddFileToHistory(PathToWx(path)); }

std::vector<std::string> MainFrame::RecentFiles() const {
    std::vector<std::string> files;
    for (size_t i = 0; i < history_.GetCount(); ++i) files.push_back(PathFromWx(history_.GetHistoryFile(i)));
    return files;
}

void MainFrame::SetRecentFiles(const std::vector<std::string>& newestFirst) {
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) AddRecentFile(*it);
}

void MainFrame::OnCharHook(wxKeyEvent& event) {
    if (!viewer_.OnKey(event.GetKeyCode(), event.ControlDown(), event.AltDown())) event.Skip();
}

void MainFrame::OnClose(wxCloseEvent& event) {
    if (event.CanVeto() && !viewer_.ConfirmUnsavedChanges()) {
        event.Veto();
        return;
    }
    viewer_.SavePreferences();
    // The scene and the models go while the view's device still lives; the device goes with
    // the view.
    viewer_.ReleaseScene();
    Destroy();
}

}  // namespace vertigon
