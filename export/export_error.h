// What the exporters throw.
#pragma once

#include <stdexcept>
#include <string>

namespace vertigon {

// An export that could not be finished; the message is one line naming the reason.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const std::string& message) : std::runtime_error(message) {}
};

// The progress callback asked to stop; nothing was written.
class ExportCancelled : public ExportError {
public:
    ExportCancelled() : ExportError("the export was cancelled") {}
};

}  // namespace vertigon
