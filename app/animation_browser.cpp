#include "app/animation_browser.h"

#include "app/viewer_ids.h"
#include "app/wx_text.h"

namespace vertigon {

namespace {

// Caption, resize border, tool window, floating on its parent; no system menu or close box.
constexpr long kBrowserStyle = wxCAPTION | wxRESIZE_BORDER | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT;
// Expand buttons, no connecting lines.
constexpr long kTreeStyle = wxTR_HAS_BUTTONS | wxTR_NO_LINES;

}  // namespace

AnimationBrowser::AnimationBrowser(wxWindow* parent, const wxPoint& position, const wxSize& size,
                                   SelectHandler onSelect)
    : wxFrame(parent, wxID_ANY, "Animations", position, size, kBrowserStyle, "frame"),
      tree_(new wxTreeCtrl(this, kIdAnimationTree, wxDefaultPosition, wxDefaultSize, kTreeStyle,
                           wxDefaultValidator, "treeCtrl")),
      onSelect_(std::move(onSelect)) {
    tree_->AddRoot(kNoAnimationText);
    tree_->Bind(wxEVT_TREE_SEL_CHANGING, &AnimationBrowser::OnSelectionChanging, this);
    tree_->Bind(wxEVT_TREE_SEL_CHANGED, &AnimationBrowser::OnSelectionChanged, this);
    Bind(wxEVT_CLOSE_WINDOW, &AnimationBrowser::OnClose, this);
}

void AnimationBrowser::Fill(const AnimationList& list) {
    // Deleting the selected item reports a selection change that must start nothing.
    filling_ = true;
    tree_->DeleteAllItems();
    const wxTreeItemId root = tree_->AddRoot(ToWx(list.rootText));
    for (const AnimationGroupNode& group : list.groups) {
        const wxTreeItemId groupItem = tree_->AppendItem(root, ToWx(group.text));
        for (const AnimationLeaf& leaf : group.leaves) {
            tree_->AppendItem(groupItem, ToWx(leaf.text), -1, -1, new AnimationItemData(leaf.group, leaf.index));
        }
    }
    filling_ = false;
}

void AnimationBrowser::OnSelectionChanging(wxTreeEvent& event) {
    const wxTreeItemId item = event.GetItem();
    // The root and the group items carry no data and cannot become the selection.
    if (!filling_ && (!item.IsOk() || !tree_->GetItemData(item))) event.Veto();
}

void AnimationBrowser::OnSelectionChanged(wxTreeEvent& event) {
    const wxTreeItemId item = event.GetItem();
    if (filling_ || !item.IsOk()) return;
    const auto* data = static_cast<const AnimationItemData*>(tree_->GetItemData(item));
    if (data && onSelect_) onSelect_(data->group, data->index);
}

void AnimationBrowser::OnClose(wxCloseEvent& event) {
    if (event.CanVeto()) {
        Hide();
        event.Veto();
        return;
    }
    Destroy();
}

}  // namespace vertigon
