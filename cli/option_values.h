// Values of compound options ("320x200", "1,-2,3.5", "2:7", "0x1000:16"), each part read as
// CLI11 reads a number option.
#pragma once

#include <CLI/CLI.hpp>

#include <cmath>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace vertigon {

// `text` as a number of type T; nothing when it is not one (or, for a float, not finite).
template <typename T>
std::optional<T> Number(const std::string& text) {
    T value{};
    if (text.empty() || !CLI::detail::lexical_cast(text, value)) return std::nullopt;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) return std::nullopt;
    }
    return value;
}

// `text` split at each `separator` into exactly `count` numbers; nothing when a part is not one.
template <typename T>
std::optional<std::vector<T>> NumberList(const std::string& text, char separator, size_t count) {
    std::vector<T> values;
    for (const std::string& part : CLI::detail::split(text, separator)) {
        const std::optional<T> value = Number<T>(part);
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    if (values.size() != count) return std::nullopt;
    return values;
}

}  // namespace vertigon
