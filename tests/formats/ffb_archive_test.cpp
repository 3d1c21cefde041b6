// Reading FFB archives, plain or gzip-compressed, and finding their members.
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "formats/ffb/ffb_archive.h"
#include "formats/ffb/ffb_loader.h"
#include "formats/load_error.h"
#include "tests/formats/load_support.h"
#include "tests/fixtures/ffb_fixtures.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string MemberText(std::span<const uint8_t> image, const char* name) {
    const std::optional<ByteReader> member = ffb::FindArchiveMember(image, name);
    if (!member) return "<none>";
    return {member->data().begin(), member->data().end()};
}

void RewriteChecksum(std::vector<uint8_t>& tar, size_t header, const char* format) {
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(testing::TarHeaderSum(tar.data() + header)));
    std::memset(tar.data() + header + 148, 0, 8);
    std::memcpy(tar.data() + header + 148, text, std::strlen(text));
}

// Same bones, textures, geometry and animation keys.
void ExpectSameModel(const Model& a, const Model& b) {
    ASSERT_EQ(a.boneCount(), b.boneCount());
    for (int i = 0; i < a.boneCount(); ++i) {
        EXPECT_EQ(a.bones[i].translation, b.bones[i].translation);
        EXPECT_EQ(a.bones[i].rotation, b.bones[i].rotation);
    }
    ASSERT_EQ(a.textureCount(), b.textureCount());
    for (int i = 0; i < a.textureCount(); ++i) EXPECT_EQ(a.textures[i].pixels, b.textures[i].pixels);
    ASSERT_EQ(a.lodCount(), b.lodCount());
    ASSERT_EQ(a.lods[0].shapes.size(), b.lods[0].shapes.size());
    for (size_t s = 0; s < a.lods[0].shapes.size(); ++s) {
        const Shape& x = a.lods[0].shapes[s];
        const Shape& y = b.lods[0].shapes[s];
        EXPECT_EQ(x.positionCount(), y.positionCount());
        ASSERT_EQ(x.batchCount(), y.batchCount());
        for (int k = 0; k < x.batchCount(); ++k) {
            ASSERT_EQ(x.batches[k].triangleCount(), y.batches[k].triangleCount());
            for (int t = 0; t < x.batches[k].triangleCount(); ++t) {
                EXPECT_EQ(std::memcmp(&x.batches[k].triangles[t], &y.batches[k].triangles[t], sizeof(Triangle)), 0);
            }
        }
    }
    ASSERT_EQ(a.animationGroupCount(), b.animationGroupCount());
    for (int g = 0; g < a.animationGroupCount(); ++g) {
        ASSERT_EQ(a.animationGroups[g].animationCount(), b.animationGroups[g].animationCount());
        for (int i = 0; i < a.animationGroups[g].animationCount(); ++i) {
            const auto& x = static_cast<const KeyframeAnimation&>(*a.animationGroups[g].animations[i]);
            const auto& y = static_cast<const KeyframeAnimation&>(*b.animationGroups[g].animations[i]);
            ASSERT_EQ(x.trackCount(), y.trackCount());
            for (int t = 0; t < x.trackCount(); ++t) {
                ASSERT_EQ(x.tracks[t].rotation.keyCount(), y.tracks[t].rotation.keyCount());
                for (int k = 0; k < x.tracks[t].rotation.keyCount(); ++k) {
                    EXPECT_EQ(x.tracks[t].rotation.keys[k].quat, y.tracks[t].rotation.keys[k].quat);
                    EXPECT_EQ(x.tracks[t].translation.keys[k].value, y.tracks[t].translation.keys[k].value);
                }
            }
        }
    }
}

TEST(FfbArchive, MembersAreFoundByTheirExactName) {
    const std::vector<uint8_t> tar =
        testing::PackTar({{"a.txt", Bytes("first")}, {"model.ffm", Bytes(std::string(700, 'm'))},
                          {"1.ffa", Bytes("x")}});
    EXPECT_EQ(MemberText(tar, "a.txt"), "first");
    EXPECT_EQ(MemberText(tar, "model.ffm"), std::string(700, 'm'));
    EXPECT_EQ(MemberText(tar, "1.ffa"), "x");
    EXPECT_EQ(MemberText(tar, "MODEL.FFM"), "<none>");
    EXPECT_EQ(MemberText(tar, "Model.ffm"), "<none>");
    EXPECT_EQ(MemberText(tar, "model.ff"), "<none>");
    EXPECT_EQ(MemberText(tar, "2.ffa"), "<none>");
}

TEST(FfbArchive, AChecksumNotWrittenAsSixOctalDigitsEndsTheSearch) {
    std::vector<uint8_t> tar = testing::PackTar({{"a", Bytes("1")}, {"b", Bytes("2")}, {"c", Bytes("3")}});
    const size_t second = 1024;
    RewriteChecksum(tar, second, "%07o");  // the right sum, one digit too many
    EXPECT_EQ(MemberText(tar, "a"), "1");
    EXPECT_EQ(MemberText(tar, "b"), "<none>");
    EXPECT_EQ(MemberText(tar, "c"), "<none>");
    RewriteChecksum(tar, second, "%06o");
    EXPECT_EQ(MemberText(tar, "c"), "3");
    tar[second + 1] ^= 0x20;  // any change to the header breaks the sum
    EXPECT_EQ(MemberText(tar, "c"), "<none>");
}

TEST(FfbArchive, TheSearchIsBoundedByTheBytesRead) {
    const std::vector<uint8_t> tar =
        testing::PackTar({{"a", Bytes("1")}, {"empty", {}}, {"long", Bytes(std::string(600, 'z'))}});
    std::span<const uint8_t> image(tar);
    // "empty"'s header ends at 1536: only a header strictly inside the data is examined.
    EXPECT_EQ(MemberText(image.first(1536), "empty"), "<none>");
    EXPECT_EQ(MemberText(image.first(1537), "empty"), "");
    // A member cut by the end of the data keeps what is there.
    EXPECT_EQ(MemberText(image.first(1536 + 512 + 100), "long"), std::string(100, 'z'));
    EXPECT_EQ(MemberText({}, "a"), "<none>");
}

TEST(FfbArchive, PlainAndGzipArchivesReadAndLoadIdentically) {
    testing::TempDir dir;
    const std::vector<uint8_t> tar = testing::SmallFfbArchive();
    const std::string plain = dir.Write("plain.ffb", tar);
    const std::string packed = dir.Write("packed.FFB", testing::Gzip(tar));
    EXPECT_EQ(ffb::ReadArchive(plain), tar);
    EXPECT_EQ(ffb::ReadArchive(packed), tar);
    FfbLoader loader;
    Workspace workspace(testing::NoImageSearch());
    const auto a = loader.Load(plain, workspace.context());
    const auto b = loader.Load(packed, workspace.context());
    ExpectSameModel(*a, *b);
    ExpectSameModel(*a, *ffb::LoadArchive(tar));
    const std::vector<uint8_t> gzip = testing::Gzip(tar);
    ExpectSameModel(*a, *loader.LoadFromMemory(ModelBytes{gzip}, workspace.context()));
}

// A model followed by a filler member sized so that the archive is exactly `size` bytes.
struct SizedArchive {
    std::vector<uint8_t> tar;
    size_t fillerBytes;
};

SizedArchive ArchiveOfSize(size_t size) {
    const std::vector<uint8_t> ffm = testing::WriteFfm(testing::SmallFfmModel());
    const size_t used = 512 + (ffm.size() + 511) / 512 * 512 + 512 + 1024;
    const size_t filler = size - used;
    return {testing::PackTar({{"model.ffm", ffm}, {"filler", std::vector<uint8_t>(filler, 7)}}), filler};
}

TEST(FfbArchive, ArchivesAroundOneMebibyteReadWhole) {
    testing::TempDir dir;
    FfbLoader loader;
    Workspace workspace(testing::NoImageSearch());
    for (size_t size : {ffb::kArchiveReadStep, ffb::kArchiveReadStep + 512, ffb::kArchiveReadStep - 512}) {
        const SizedArchive archive = ArchiveOfSize(size);
        const std::vector<uint8_t>& tar = archive.tar;
        ASSERT_EQ(tar.size(), size);
        const std::string plain = dir.Write("plain.ffb", tar);
        const std::string packed = dir.Write("packed.ffb", testing::Gzip(tar));
        EXPECT_EQ(ffb::ReadArchive(plain).size(), size);
        EXPECT_EQ(ffb::ReadArchive(packed), tar);
        EXPECT_EQ(MemberText(ffb::ReadArchive(packed), "filler"), std::string(archive.fillerBytes, 7));
        EXPECT_EQ(loader.Load(packed, workspace.context())->boneCount(), 3);
    }
}

TEST(FfbArchive, UnreadableAndCorruptFilesAreRefused) {
    testing::TempDir dir;
    EXPECT_THROW(ffb::ReadArchive((dir.path() / "missing.ffb").string()), FileError);
    EXPECT_THROW(ffb::ReadArchive(dir.path().string()), FileError);  // a directory
    std::vector<uint8_t> gz = testing::Gzip(testing::SmallFfbArchive());
    gz[gz.size() / 2] ^= 0x55;
    gz[gz.size() / 2 + 1] ^= 0x55;
    EXPECT_THROW(testing::LoadAlone(FfbLoader(), dir.Write("corrupt.ffb", gz)), LoadError);
    EXPECT_EQ(ffb::ReadArchive(dir.Write("empty.ffb", std::vector<uint8_t>{})).size(), 0u);
    EXPECT_THROW(testing::LoadAlone(FfbLoader(), dir.Write("empty.ffb", std::vector<uint8_t>{})), FormatError);
}

}  // namespace
}  // namespace vertigon
