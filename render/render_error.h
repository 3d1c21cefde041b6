// Failures of the graphics layer that the caller can report: no usable context, an unsupported
// OpenGL version, an image that cannot be written, a shader program that does not compile or
// link.
#pragma once

#include <stdexcept>
#include <string>

namespace vertigon {

class RenderError : public std::runtime_error {
public:
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

// what() is ": <step>: <error>\n" (at most 1023 characters, as the viewer has always shown it);
// log() is the compiler or linker log, possibly empty. The tool prints both on standard error
// and ends with status 1; the viewer shows each in a message box titled "Error".
class ShaderError : public RenderError {
public:
    ShaderError(const std::string& message, std::string log) : RenderError(message), log_(std::move(log)) {}
    const std::string& log() const { return log_; }

private:
    std::string log_;
};

}  // namespace vertigon
