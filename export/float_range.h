// The doubles the exporter computes, as the floats glTF stores.
#pragma once

#include <cmath>
#include <limits>

namespace vertigon {

// `value` as a float; beyond float range it becomes the infinity of its sign (converting it
// directly would be undefined there), so that a finiteness check after conversion catches it.
inline float ToFloat(double value) {
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (std::fabs(value) > std::numeric_limits<float>::max()) return value > 0 ? INFINITY : -INFINITY;
    return static_cast<float>(value);
}

}  // namespace vertigon
