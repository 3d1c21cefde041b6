// The top-level window "Vertigon 0.3": File, View and Help menus, the toolbar of display
// switches whose pressed states follow the shown entry, the status line and the render view.
#pragma once

#include <wx/frame.h>

namespace vertigon {

class Viewer;

class MainFrame final : public wxFrame {
public:
    MainFrame(Viewer& viewer, const wxString& title, const wxPoint& position, const wxSize& size);

    // Presses tools 5 to 9 exactly while their switch is on, tool 10 while the texture viewer
    // is shown.
    void RefreshTools();

private:
    void BuildMenus();
    void BuildToolBar();
    void OnClose(wxCloseEvent& event);

    Viewer& viewer_;
};

}  // namespace vertigon
