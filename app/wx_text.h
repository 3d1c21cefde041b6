// Conversions between the program's byte strings and the toolkit's strings.
#pragma once

#include <wx/string.h>

#include <string>

namespace vertigon {

// Names from model files are bytes of any encoding: UTF-8 when they are valid UTF-8, otherwise
// one character per byte.
inline wxString ToWx(const std::string& text) {
    wxString converted = wxString::FromUTF8(text.data(), text.size());
    if (converted.empty() && !text.empty()) converted = wxString::From8BitData(text.data(), text.size());
    return converted;
}

// File names go through the file-name encoding both ways.
inline wxString PathToWx(const std::string& path) { return wxString(path.c_str(), *wxConvFileName); }
inline std::string PathFromWx(const wxString& path) {
    const wxCharBuffer bytes = path.fn_str();
    return bytes.data() ? std::string(bytes.data()) : std::string();
}

}  // namespace vertigon
