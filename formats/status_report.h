// Where one workspace's messages go: one-line status reports about trouble outside a load (an
// MDLS animation that cannot run: no program image, an emulator fault, a routine that never
// stops) and the emulator's own text. The viewer shows reports in its status bar and keeps the
// emulator text on standard output; vertigon-cli prints both on standard error, since its
// standard output carries JSON.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

namespace vertigon {

using StatusReporter = std::function<void(std::string_view message)>;

class StatusSink {
public:
    // Reports go to `reporter`, or to standard error as "vertigon: <message>" when it is empty.
    explicit StatusSink(StatusReporter reporter = {}, std::FILE* emulatorStream = stdout)
        : reporter_(std::move(reporter)), emulatorStream_(emulatorStream) {}

    void Report(std::string_view message) const;
    // Emulator text as it comes, flushed so that it interleaves with the host's own output.
    void WriteEmulatorText(std::string_view text) const;

    // Replaces the reporter (an empty one restores standard error).
    void SetReporter(StatusReporter reporter) { reporter_ = std::move(reporter); }
    // Sends the emulator text to `writer` instead of the stream (an empty one restores it).
    void SetEmulatorWriter(StatusReporter writer) { emulatorWriter_ = std::move(writer); }

private:
    StatusReporter reporter_;
    StatusReporter emulatorWriter_;
    std::FILE* emulatorStream_;
};

}  // namespace vertigon
