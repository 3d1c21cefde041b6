// The one failure of the image room: a picture that cannot be encoded, decoded or quantized.
#pragma once

#include <stdexcept>
#include <string>

namespace vertigon {

class ImageError : public std::runtime_error {
public:
    explicit ImageError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace vertigon
