// One-line messages for the user about trouble outside a load: an MDLS animation that cannot
// run (no program image, an emulator fault, a routine that never stops). The viewer shows them
// in its status bar, vertigon-cli prints them on standard error; standard error is the default.
#pragma once

#include <functional>
#include <string_view>

namespace vertigon {

using StatusReporter = std::function<void(std::string_view message)>;

// Installs the process-wide reporter; an empty function restores the default.
void SetStatusReporter(StatusReporter reporter);
void ReportStatus(std::string_view message);

// Installs a reporter for the lifetime of this object, then restores the default.
class ScopedStatusReporter {
public:
    explicit ScopedStatusReporter(StatusReporter reporter) { SetStatusReporter(std::move(reporter)); }
    ~ScopedStatusReporter() { SetStatusReporter({}); }
    ScopedStatusReporter(const ScopedStatusReporter&) = delete;
    ScopedStatusReporter& operator=(const ScopedStatusReporter&) = delete;
};

}  // namespace vertigon
