// Finding and reading the user's program image: the places looked at, plain and compressed
// files, and the one-line refusals.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>

#include "formats/mdls/animation_routines.h"
#include "ee/output.h"
#include "formats/mdls/ee_image_file.h"
#include "formats/mdls/mdls_emulator.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using testing::TempDir;

std::vector<uint8_t> Compress(const std::vector<uint8_t>& bytes) {
    uLongf length = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<uint8_t> stream(length);
    EXPECT_EQ(compress2(stream.data(), &length, bytes.data(), static_cast<uLong>(bytes.size()), 1), Z_OK);
    stream.resize(length);
    return stream;
}

std::vector<uint8_t> ElfOfSize(size_t size) {
    std::vector<uint8_t> bytes(size, 0);
    const uint8_t magic[4] = {0x7F, 'E', 'L', 'F'};
    std::copy(magic, magic + 4, bytes.begin());
    return bytes;
}

// The refusal expected for `path`.
std::string Refused(const std::string& path, const std::string& why) {
    return "EE program image " + path + " refused: " + why;
}

std::string RefusalOf(const std::string& path) {
    try {
        mdls::ReadEeImage(path);
    } catch (const EeImageError& e) {
        return e.what();
    }
    return "";
}

TEST(EeImageFile, TheDataDirectoryComesBeforeTheExecutablesFolder) {
    EXPECT_EQ(mdls::DefaultEeImagePlaces("/data", "/home/u", "/opt/vertigon"),
              (std::vector<std::string>{"/data/vertigon/ee-image.bin", "/opt/vertigon/ee-image.bin"}));
    EXPECT_EQ(mdls::DefaultEeImagePlaces("", "/home/u", "/opt/vertigon"),
              (std::vector<std::string>{"/home/u/.local/share/vertigon/ee-image.bin", "/opt/vertigon/ee-image.bin"}));
    EXPECT_EQ(mdls::DefaultEeImagePlaces(nullptr, nullptr, ""), std::vector<std::string>{});
}

TEST(EeImageFile, AGivenPathWinsAndTheSearchFindsTheDataDirectoryCopy) {
    TempDir dir;
    LoaderOptions options;
    options.eeImagePath = "/nowhere/image.bin";
    EXPECT_EQ(mdls::ChooseEeImage(options), "/nowhere/image.bin");

    const std::string saved = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    const bool had = std::getenv("XDG_DATA_HOME") != nullptr;
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    LoaderOptions search;
    const std::string found = dir.Write("vertigon/ee-image.bin", std::vector<uint8_t>{1});
    EXPECT_EQ(mdls::ChooseEeImage(search), found);
    search.searchDefaultEeImagePlaces = false;
    EXPECT_EQ(mdls::ChooseEeImage(search), "");
    if (had) {
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
}

TEST(EeImageFile, PlainAndCompressedImagesOfTheRightSizeAreTaken) {
    TempDir dir;
    const std::vector<uint8_t> image = ElfOfSize(mdls::kProgramImageSize);
    EXPECT_EQ(mdls::ReadEeImage(dir.Write("plain.bin", image)), image);
    EXPECT_EQ(mdls::ReadEeImage(dir.Write("packed.bin", Compress(image))), image);
}

TEST(EeImageFile, AnythingElseIsRefusedInOneLine) {
    TempDir dir;
    const std::string shortPlain = dir.Write("short.bin", ElfOfSize(mdls::kProgramImageSize - 1));
    EXPECT_EQ(RefusalOf(shortPlain), Refused(shortPlain, "it is 3782595 bytes, not 3782596 bytes"));
    const std::string oneMore = dir.Write("one-more.bin", Compress(ElfOfSize(mdls::kProgramImageSize + 1)));
    EXPECT_EQ(RefusalOf(oneMore), Refused(oneMore, "it inflates to 3782597 bytes, not 3782596 bytes"));
    const std::string longPacked = dir.Write("long.bin", Compress(ElfOfSize(mdls::kProgramImageSize + 100)));
    EXPECT_EQ(RefusalOf(longPacked), Refused(longPacked, "it inflates to more than 3782596 bytes"));
    const std::string shortPacked = dir.Write("small.bin", Compress(ElfOfSize(1000)));
    EXPECT_EQ(RefusalOf(shortPacked), Refused(shortPacked, "it inflates to 1000 bytes, not 3782596 bytes"));
    std::vector<uint8_t> cut = Compress(ElfOfSize(mdls::kProgramImageSize));
    cut.resize(cut.size() / 2);
    const std::string cutPath = dir.Write("cut.bin", cut);
    EXPECT_EQ(RefusalOf(cutPath), Refused(cutPath, "its zlib stream is cut short"));
    const std::string text = dir.Write("notes.txt", std::string("not an image"));
    EXPECT_EQ(RefusalOf(text), Refused(text, "it is neither an ELF executable nor a zlib stream of one"));
    EXPECT_NE(RefusalOf((dir.path() / "missing.bin").string()).find("cannot open"), std::string::npos);
}

TEST(EeImageFile, TheEmulatorStartsFromACompressedImageFile) {
    SKIP_WITHOUT_MIPS_TOOLS();
    TempDir dir;
    LoaderOptions options;
    options.eeImagePath = dir.Write("ee-image.bin", testing::CompressedTestProgramImage());
    testing::CapturingSink sink;
    auto status = std::make_shared<StatusSink>();
    status->SetEmulatorWriter([&sink](std::string_view text) { sink.Write(text); });
    mdls::Emulator emulator(options, status);
    ASSERT_NE(emulator.routines(), nullptr);
    EXPECT_EQ(sink.text(), "Init EE memory...\n");
    EXPECT_TRUE(emulator.unavailableReason().empty());
}

}  // namespace
}  // namespace vertigon
