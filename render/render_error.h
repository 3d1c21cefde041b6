// Failures of the graphics layer that the caller can report: no usable context, an unsupported
// OpenGL version, an image that cannot be written.
#pragma once

#include <stdexcept>
#include <string>

namespace vertigon {

class RenderError : public std::runtime_error {
public:
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vertigon
