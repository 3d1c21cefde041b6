#include "app/about_text.h"

#include "scene/licence.h"

namespace vertigon {

std::string FormatBuildDate(const char* compilerDate) {
    std::string date = compilerDate;
    // The compiler pads a one-digit day with a space: "Feb  9 2007".
    if (const size_t at = date.find("  "); at != std::string::npos) date.erase(at, 1);
    return date;
}

std::string AboutText() {
    return std::string(kProgramTitle) + "\nCompile Date: " + FormatBuildDate(__DATE__) + "\nVersion " VERTIGON_VERSION "\n\n" + kLicenceNotice;
}

}  // namespace vertigon
