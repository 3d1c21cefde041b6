// The tool's JSON output: documents are built as nlohmann::ordered_json (members keep the order
// they were added in) and printed on one line.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace vertigon {

using Json = nlohmann::ordered_json;

// The document on one line, as the library prints it except for floating-point numbers: those
// get 9 significant digits ("%.9g": enough to read back as the same float, "1" for a whole
// number, "-0" kept), and null for infinities and NaNs. Text that is not UTF-8 (names from game
// files) gets U+FFFD in place of the bad bytes rather than making invalid JSON.
std::string JsonText(const Json& document);

}  // namespace vertigon
