#include "ee/fault.h"

#include <cstdarg>
#include <cstdio>

namespace vertigon {

void ThrowEeFault(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    throw EeFault(text);
}

}  // namespace vertigon
