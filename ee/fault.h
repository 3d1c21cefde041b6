// The one error of the emulator: an instruction or access it cannot carry out. The exception
// carries the fixed message (ending in "\n"); whoever runs emulated code catches it, writes the
// message to the emulator's output stream and abandons that run.
#pragma once

#include <stdexcept>
#include <string>

namespace vertigon {

class EeFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Formats the message printf-style and throws EeFault with it.
[[noreturn, gnu::cold, gnu::format(printf, 1, 2)]] void ThrowEeFault(const char* format, ...);

}  // namespace vertigon
