#include "app/frame_clock.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

namespace vertigon {

uint32_t MonotonicMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

std::chrono::steady_clock::time_point ProcessStartTime() {
    const auto now = std::chrono::steady_clock::now();
    std::ifstream file("/proc/self/stat");
    std::string stat;
    std::getline(file, stat);
    const size_t nameEnd = stat.rfind(')');
    timespec boot{};
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (nameEnd == std::string::npos || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &boot) != 0) return now;
    // After the name: the state is field 3, the start time (ticks since boot) field 22.
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string skipped;
    for (int field = 3; field < 22; ++field) fields >> skipped;
    unsigned long long startTicks = 0;
    if (!(fields >> startTicks)) return now;
    const double age = static_cast<double>(boot.tv_sec) + static_cast<double>(boot.tv_nsec) * 1e-9 -
                       static_cast<double>(startTicks) / static_cast<double>(ticksPerSecond);
    if (!(age >= 0.0 && age < 60.0)) return now;
    return now - std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(age));
}

double ProcessorMilliseconds() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0.0;
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace vertigon
