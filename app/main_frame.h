// The top-level window "Vertigon 0.3": File, View and Help menus, the toolbar of display
// switches whose pressed states follow the shown entry, the status line and the render view.
#pragma once

#include <wx/filehistory.h>
#include <wx/frame.h>

#include <string>
#include <vector>

namespace vertigon {

class Viewer;

class MainFrame final : public wxFrame {
public:
    MainFrame(Viewer& viewer, const wxString& title, const wxPoint& position, const wxSize& size);

    // Presses tools 5 to 9 exactly while their switch is on, tool 10 while the texture viewer
    // is shown; ticks the View menu's check items as the viewer holds them.
    void RefreshTools();
    // The view above the playback bar, the view taking all the room the bar leaves.
    void LayOutChildren(wxWindow* view, wxWindow* bar);

    // Recent files, newest first.
    void AddRecentFile(const std::string& path);
    std::vector<std::string> RecentFiles() const;
    void SetRecentFiles(const std::vector<std::string>& newestFirst);

private:
    void BuildMenus();
    void BuildToolBar();
    void OnClose(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);

    Viewer& viewer_;
    wxFileHistory history_{8};
};

}  // namespace vertigon
