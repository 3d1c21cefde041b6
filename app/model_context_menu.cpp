#include "app/model_context_menu.h"

#include "app/wx_text.h"

namespace vertigon {

namespace {

void AppendItems(wxMenu& menu, const std::vector<MenuItemSpec>& items) {
    using Kind = MenuItemSpec::Kind;
    for (const MenuItemSpec& spec : items) {
        wxMenuItem* item = nullptr;
        switch (spec.kind) {
            case Kind::Submenu: {
                auto* submenu = new wxMenu;
                // The submenu's item goes in before its own items are added.
                item = menu.AppendSubMenu(submenu, ToWx(spec.label), ToWx(spec.help));
                AppendItems(*submenu, spec.children);
                break;
            }
            case Kind::Check:
                item = menu.AppendCheckItem(spec.id, ToWx(spec.label), ToWx(spec.help));
                break;
            case Kind::Radio:
                item = menu.AppendRadioItem(spec.id, ToWx(spec.label), ToWx(spec.help));
                break;
            case Kind::Normal:
                item = menu.Append(spec.id, ToWx(spec.label), ToWx(spec.help));
                break;
        }
        // The toolkit marks the first radio item of a group by itself; marking another one
        // clears it.
        if (spec.kind == Kind::Check || (spec.kind == Kind::Radio && spec.checked)) item->Check(spec.checked);
        if (!spec.enabled) item->Enable(false);
    }
}

}  // namespace

std::unique_ptr<wxMenu> BuildMenu(const MenuSpec& spec) {
    auto menu = std::make_unique<wxMenu>(ToWx(spec.title));
    AppendItems(*menu, spec.items);
    return menu;
}

std::unique_ptr<wxMenu> BuildModelContextMenu(const ModelEntry* entry) {
    return BuildMenu(BuildContextMenuSpec(entry));
}

}  // namespace vertigon
