// The floating "Animations" window: a tree of the shown model's animation groups and their
// animations. Only leaves can be selected; selecting one starts that animation. Closing the
// window hides it, so that it can be shown again from the View menu.
#pragma once

#include <wx/frame.h>
#include <wx/treectrl.h>

#include <cstdint>
#include <functional>

#include "app/animation_list.h"

namespace vertigon {

class AnimationItemData final : public wxTreeItemData {
public:
    AnimationItemData(int32_t groupIndex, int32_t animationIndex) : group(groupIndex), index(animationIndex) {}
    int32_t group;
    int32_t index;
};

class AnimationBrowser final : public wxFrame {
public:
    using SelectHandler = std::function<void(int32_t group, int32_t index)>;

    AnimationBrowser(wxWindow* parent, const wxPoint& position, const wxSize& size, SelectHandler onSelect);

    // Replaces the whole tree; nothing is expanded or selected.
    void Fill(const AnimationList& list);
    wxTreeCtrl* tree() const { return tree_; }

private:
    void OnSelectionChanging(wxTreeEvent& event);
    void OnSelectionChanged(wxTreeEvent& event);
    void OnClose(wxCloseEvent& event);

    wxTreeCtrl* tree_;
    SelectHandler onSelect_;
    bool filling_ = false;
};

}  // namespace vertigon
