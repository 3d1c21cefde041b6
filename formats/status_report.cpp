#include "formats/status_report.h"

#include <cstdio>
#include <string>

namespace vertigon {
namespace {

StatusReporter& Installed() {
    static StatusReporter reporter;
    return reporter;
}

}  // namespace

void SetStatusReporter(StatusReporter reporter) { Installed() = std::move(reporter); }

void ReportStatus(std::string_view message) {
    if (Installed()) {
        Installed()(message);
        return;
    }
    std::fprintf(stderr, "vertigon: %.*s\n", static_cast<int>(message.size()), message.data());
}

}  // namespace vertigon
