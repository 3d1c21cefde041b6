// The emulator the MDLS animations of one workspace run in: the program image found for the
// loader options, the game's animation routines over it, and what to tell the user when there is none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ee/output.h"
#include "formats/mdls/animation_routines.h"
#include "formats/loader_options.h"
#include "formats/status_report.h"

namespace vertigon::mdls {

class Emulator {
public:
    // Finds, reads and loads the image (printing "Init EE memory..." as emulator text of `status`).
    // Never throws for a missing or refused image: animations then keep the rest pose. A file
    // that was found but refused is reported at once.
    Emulator(const LoaderOptions& options, std::shared_ptr<const StatusSink> status);
    // Over an image already inflated (tests, benchmarks).
    Emulator(std::vector<uint8_t> image, std::shared_ptr<const StatusSink> status);
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // Null without a usable image.
    mdls::AnimationRoutines* routines() { return routines_.get(); }
    // One line saying why there are no routines and how to supply an image.
    const std::string& unavailableReason() const { return unavailableReason_; }
    // Reports unavailableReason the first time it is called (unless already reported).
    void ReportUnavailableOnce();
    // A status line for the user, through the workspace's sink.
    void Report(std::string_view message) const { status_->Report(message); }

    // Which animation's set-up the emulated memory holds (0: none). Animations are numbered
    // with NextAnimationSerial.
    uint64_t preparedSerial = 0;
    uint64_t NextAnimationSerial() { return ++lastSerial_; }

private:
    // The emulator's text, passed on to the status sink's emulator stream.
    class Output final : public EeOutputSink {
    public:
        explicit Output(const StatusSink& status) : status_(status) {}
        void Write(std::string_view text) override { status_.WriteEmulatorText(text); }

    private:
        const StatusSink& status_;
    };

    void Adopt(std::vector<uint8_t> image, const std::string& path);

    std::shared_ptr<const StatusSink> status_;
    Output output_;
    std::unique_ptr<mdls::AnimationRoutines> routines_;
    std::string unavailableReason_;
    bool reported_ = false;
    uint64_t lastSerial_ = 0;
};

}  // namespace vertigon::mdls
