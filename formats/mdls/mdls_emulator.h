// The emulator the MDLS animations run in: the program image found for the loader options,
// the EE harness over it, and what to tell the user when there is none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ee/harness.h"
#include "formats/loader_options.h"

namespace vertigon {

class MdlsEmulator {
public:
    // Finds, reads and loads the image (printing "Init EE memory..." on the emulator's output).
    // Never throws for a missing or refused image: animations then keep the rest pose. A file
    // that was found but refused is reported at once.
    explicit MdlsEmulator(const LoaderOptions& options);
    // Over an image already inflated (tests, benchmarks).
    explicit MdlsEmulator(std::vector<uint8_t> image);
    MdlsEmulator(const MdlsEmulator&) = delete;
    MdlsEmulator& operator=(const MdlsEmulator&) = delete;

    // Null without a usable image.
    EeHarness* harness() { return harness_.get(); }
    // One line saying why there is no harness and how to supply an image.
    const std::string& unavailableReason() const { return unavailableReason_; }
    // Reports unavailableReason the first time it is called (unless already reported).
    void ReportUnavailableOnce();

    // Which animation's set-up the emulated memory holds (0: none). Animations are numbered
    // with NextAnimationSerial.
    uint64_t preparedSerial = 0;
    static uint64_t NextAnimationSerial();

private:
    void Adopt(std::vector<uint8_t> image, const std::string& path);

    std::unique_ptr<EeHarness> harness_;
    std::string unavailableReason_;
    bool reported_ = false;
};

}  // namespace vertigon
