// The licence notice both programs print with their version and the viewer shows in its about box.
#pragma once

namespace vertigon {

inline constexpr const char* kLicenceNotice =
    "Copyright 2026 The Vertigon developers\n"
    "Licence GPL-3.0-or-later: GNU GPL version 3 or later <https://www.gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace vertigon
