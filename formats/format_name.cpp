#include "formats/format_name.h"

#include <cctype>

namespace vertigon {

std::string FormatName(const ModelLoader& loader) {
    std::string name = loader.GetName();
    const std::string suffix = "Loader";
    if (name.size() > suffix.size() && name.ends_with(suffix)) name.resize(name.size() - suffix.size());
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace vertigon
