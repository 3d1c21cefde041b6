#include "app/context_menu_layout.h"

#include "app/viewer_ids.h"
#include "scene/scene_graph.h"

namespace vertigon {

namespace {

MenuItemLayout Item(int id, const char* label, const char* help, MenuItemLayout::Kind kind, bool checked,
                  bool enabled) {
    MenuItemLayout item;
    item.id = id;
    item.label = label;
    item.help = help;
    item.kind = kind;
    item.checked = checked;
    item.enabled = enabled;
    return item;
}

}  // namespace

MenuLayout BuildContextMenuLayout(const ModelEntry* entry) {
    using Kind = MenuItemLayout::Kind;
    const bool shown = entry != nullptr;
    const int32_t flags = shown ? entry->flags : 0;
    const auto on = [flags](int32_t flag) { return (flags & flag) != 0; };

    MenuLayout menu;
    menu.title = "test";
    menu.items.push_back(
        Item(kIdMenuTexture, "Texture", "Toggle current model texture", Kind::Check, on(FlagTexture), shown));
    menu.items.push_back(Item(kIdMenuBlending, "Blending", "Toggle current model alpha blending", Kind::Check,
                              on(FlagBlending), shown));
    menu.items.push_back(
        Item(kIdMenuBones, "Bones", "Toggle current model bones display", Kind::Check, on(FlagBones), shown));
    menu.items.push_back(Item(kIdMenuWireframe, "Wireframe", "Toggle current model wireframe", Kind::Check,
                              on(FlagWireframe), shown));

    MenuItemLayout shading = Item(0, "Shading", "Change current model shading mode", Kind::Submenu, false, shown);
    shading.children.push_back(Item(kIdMenuFlat, "Flat", "", Kind::Radio, shown && on(FlagFlat), shown));
    shading.children.push_back(Item(kIdMenuGouraud, "Gouraud", "", Kind::Radio, shown && !on(FlagFlat), shown));
    menu.items.push_back(std::move(shading));

    MenuItemLayout lods = Item(0, "LOD", "Change the LOD of the current model", Kind::Submenu, false, shown);
    if (shown) {
        const Model& model = entry->model();
        for (int32_t i = 0; i < model.lodCount() && kIdMenuFirstLod + i <= kIdMenuLastLod; ++i) {
            lods.children.push_back(Item(kIdMenuFirstLod + i, model.lods[static_cast<size_t>(i)].name.c_str(),
                                         "Change Lod", Kind::Check, i == entry->lod, true));
        }
    }
    menu.items.push_back(std::move(lods));

    menu.items.push_back(Item(kIdMenuViewTextures, "View textures", "Show the textures of current model",
                              Kind::Normal, false, shown));
    menu.items.push_back(
        Item(kIdMenuViewStats, "View stats", "Show the stats of current model", Kind::Normal, false, shown));
    return menu;
}

}  // namespace vertigon
