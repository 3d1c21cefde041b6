// The right-click menu of the render view, built anew from the shown entry every time.
#pragma once

#include <wx/menu.h>

#include <memory>

#include "app/context_menu_layout.h"

namespace vertigon {

class ModelEntry;

std::unique_ptr<wxMenu> BuildModelContextMenu(const ModelEntry* entry);
// The toolkit menu for a menu description (exposed for tests).
std::unique_ptr<wxMenu> BuildMenu(const MenuLayout& layout);

}  // namespace vertigon
