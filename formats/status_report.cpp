#include "formats/status_report.h"

namespace vertigon {

void StatusSink::Report(std::string_view message) const {
    if (reporter_) {
        reporter_(message);
        return;
    }
    std::fprintf(stderr, "vertigon: %.*s\n", static_cast<int>(message.size()), message.data());
}

void StatusSink::WriteEmulatorText(std::string_view text) const {
    if (emulatorWriter_) {
        emulatorWriter_(text);
        return;
    }
    if (!emulatorStream_) return;
    std::fwrite(text.data(), 1, text.size(), emulatorStream_);
    std::fflush(emulatorStream_);
}

}  // namespace vertigon
