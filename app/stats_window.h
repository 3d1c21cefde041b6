// A window with the shown model's counts.
#pragma once

#include <wx/frame.h>
#include <wx/listctrl.h>

#include <functional>

namespace vertigon {

struct Model;

class StatsWindow final : public wxFrame {
public:
    explicit StatsWindow(wxWindow* parent);

    void ShowModel(const Model& model);
    wxListCtrl* list() const { return list_; }

private:
    wxListCtrl* list_;
};

}  // namespace vertigon
