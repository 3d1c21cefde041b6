#include "app/model_context_menu.h"

#include "app/wx_text.h"

namespace vertigon {

namespace {

void AppendItems(wxMenu& menu, const std::vector<MenuItemLayout>& items) {
    using Kind = MenuItemLayout::Kind;
    for (const MenuItemLayout& entry : items) {
        wxMenuItem* item = nullptr;
        switch (entry.kind) {
            case Kind::Submenu: {
                auto* submenu = new wxMenu;
                // The submenu's item goes in before its own items are added.
                item = menu.AppendSubMenu(submenu, ToWx(entry.label), ToWx(entry.help));
                AppendItems(*submenu, entry.children);
                break;
            }
            case Kind::Check:
                item = menu.AppendCheckItem(entry.id, ToWx(entry.label), ToWx(entry.help));
                break;
            case Kind::Radio:
                item = menu.AppendRadioItem(entry.id, ToWx(entry.label), ToWx(entry.help));
                break;
            case Kind::Normal:
                item = menu.Append(entry.id, ToWx(entry.label), ToWx(entry.help));
                break;
        }
        // The toolkit marks the first radio item of a group by itself; marking another one
        // clears it.
        if (entry.kind == Kind::Check || (entry.kind == Kind::Radio && entry.checked)) item->Check(entry.checked);
        if (!entry.enabled) item->Enable(false);
    }
}

}  // namespace

std::unique_ptr<wxMenu> BuildMenu(const MenuLayout& layout) {
    auto menu = std::make_unique<wxMenu>(ToWx(layout.title));
    AppendItems(*menu, layout.items);
    return menu;
}

std::unique_ptr<wxMenu> BuildModelContextMenu(const ModelEntry* entry) {
    return BuildMenu(BuildContextMenuLayout(entry));
}

}  // namespace vertigon
