// The model context menu as data: built anew from the shown entry on every right click, then
// turned into a toolkit menu. Kept apart from the toolkit so that it can be checked without a
// display.
#pragma once

#include <string>
#include <vector>

namespace vertigon {

class ModelEntry;

struct MenuItemLayout {
    enum class Kind { Normal, Check, Radio, Submenu };
    int id = 0;
    std::string label;
    std::string help;
    Kind kind = Kind::Normal;
    bool checked = false;
    bool enabled = true;
    std::vector<MenuItemLayout> children;  // submenus only
};

struct MenuLayout {
    std::string title;
    std::vector<MenuItemLayout> items;
};

// Texture, Blending, Bones and Wireframe ticked from the entry's flags; Shading with "Flat" or
// "Gouraud" marked from the flat flag; one LOD item per Lod (id 19 + i, its name) with the
// drawn one ticked; "View textures" and "View stats". Without an entry every item is shown
// disabled and the LOD submenu is empty.
MenuLayout BuildContextMenuLayout(const ModelEntry* entry);

}  // namespace vertigon
