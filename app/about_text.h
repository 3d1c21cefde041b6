// The about box's text.
#pragma once

#include <string>

namespace vertigon {

inline constexpr const char* kProgramTitle = "Vertigon 0.3";

// The compiler's "Mmm dd yyyy" date with a single space before a one-digit day ("Feb 9 2007").
std::string FormatBuildDate(const char* compilerDate);
// "Vertigon 0.3\nCompile Date: <build date>\nVersion <version>", a blank line and the licence notice.
std::string AboutText();

}  // namespace vertigon
