#include "formats/mdls/mdls_emulator.h"

#include "ee/program_image.h"
#include "formats/mdls/ee_image_file.h"

namespace vertigon::mdls {
namespace {

std::string MissingImageText() {
    std::string text =
        "MDLS animations need the game's EE program image (an ELF of 3782596 bytes, plain or zlib-compressed), "
        "which was not found: give --ee-image PATH";
    const std::vector<std::string> places = DefaultEeImagePlaces();
    for (size_t i = 0; i < places.size(); ++i) text += (i == 0 ? ", or place it at " : " or ") + places[i];
    return text;
}

}  // namespace

Emulator::Emulator(const LoaderOptions& options, std::shared_ptr<const StatusSink> status)
    : status_(std::move(status)), output_(*status_) {
    const std::string path = ChooseEeImage(options);
    if (path.empty()) {
        unavailableReason_ = MissingImageText();
        return;
    }
    try {
        Adopt(ReadEeImage(path), path);
    } catch (const EeImageError& e) {
        unavailableReason_ = e.what();
    }
    if (!routines_) {
        Report(unavailableReason_);
        reported_ = true;
    }
}

Emulator::Emulator(std::vector<uint8_t> image, std::shared_ptr<const StatusSink> status)
    : status_(std::move(status)), output_(*status_) {
    Adopt(std::move(image), "in memory");
    if (!routines_) {
        Report(unavailableReason_);
        reported_ = true;
    }
}

void Emulator::Adopt(std::vector<uint8_t> image, const std::string& path) {
    try {
        routines_ = std::make_unique<AnimationRoutines>(std::move(image), output_);
    } catch (const ProgramImageError& e) {
        unavailableReason_ = "EE program image " + path + " refused: " + e.reason();
    }
}

void Emulator::ReportUnavailableOnce() {
    if (reported_ || routines_) return;
    reported_ = true;
    Report(unavailableReason_);
}

}  // namespace vertigon::mdls
