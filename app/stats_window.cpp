#include "app/stats_window.h"

#include "app/model_stats.h"
#include "app/wx_text.h"

namespace vertigon {

StatsWindow::StatsWindow(wxWindow* parent)
    : wxFrame(parent, wxID_ANY, "Model stats", wxDefaultPosition, wxSize(500, 320),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      list_(new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                           wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_HEADER)) {
    list_->AppendColumn("", wxLIST_FORMAT_LEFT, 170);
    list_->AppendColumn("", wxLIST_FORMAT_LEFT, 310);
}

void StatsWindow::ShowModel(const Model& model) {
    list_->DeleteAllItems();
    for (const StatLine& line : ModelStats(model)) {
        const long row = list_->InsertItem(list_->GetItemCount(), ToWx(line.label));
        list_->SetItem(row, 1, ToWx(line.value));
    }
}

}  // namespace vertigon
