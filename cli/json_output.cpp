#include "cli/json_output.h"

#include <cmath>
#include <cstdio>

namespace vertigon {
namespace {

std::string LibraryText(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// The library prints the shortest digits that read back as the double, which for a float
// widened to double is up to 17 digits; the tool has always printed floats with 9.
void AppendFloat(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    out += text;
}

void Append(std::string& out, const Json& value) {
    if (value.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            if (!first) out += ',';
            first = false;
            out += LibraryText(key);
            out += ':';
            Append(out, member);
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        for (size_t i = 0; i < value.size(); ++i) {
            if (i > 0) out += ',';
            Append(out, value[i]);
        }
        out += ']';
    } else if (value.is_number_float()) {
        AppendFloat(out, value.get<double>());
    } else {
        out += LibraryText(value);
    }
}

}  // namespace

std::string JsonText(const Json& document) {
    std::string out;
    Append(out, document);
    return out;
}

}  // namespace vertigon
