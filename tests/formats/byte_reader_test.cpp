#include "formats/byte_reader.h"

#include <gtest/gtest.h>

#include "formats/file_io.h"
#include "tests/fixtures/byte_writer.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

TEST(ByteReader, ReadsLittleEndianValuesInsideTheBuffer) {
    testing::ByteWriter w;
    w.U16(0xBEEF).U32(0x12345678).F32(1.5f).S16(-2);
    const std::vector<uint8_t> bytes = w.Take();
    ByteReader r(bytes);
    EXPECT_EQ(r.U16(0), 0xBEEF);
    EXPECT_EQ(r.U32(2), 0x12345678u);
    EXPECT_EQ(r.F32(6), 1.5f);
    EXPECT_EQ(r.S16(10), -2);
    EXPECT_EQ(r.U8(11), 0xFF);
}

TEST(ByteReader, ReadsOutsideTheBufferThrow) {
    const std::vector<uint8_t> bytes(8, 0);
    ByteReader r(bytes);
    EXPECT_THROW(r.U32(5), FormatError);
    EXPECT_THROW(r.U8(8), FormatError);
    EXPECT_THROW(r.Bytes(4, 5), FormatError);
    EXPECT_THROW(r.Require(UINT64_MAX, 2), FormatError);
    EXPECT_THROW(r.RequireArray(0, UINT64_MAX / 2, 4), FormatError);
    EXPECT_NO_THROW(r.Require(8, 0));
    EXPECT_NO_THROW(r.U32(4));
    EXPECT_THROW(ByteReader::Add(UINT64_MAX, 1), FormatError);
}

TEST(ByteReader, SubReadersCountFromTheirStartAndStayInside) {
    std::vector<uint8_t> bytes = {0, 1, 2, 3, 4, 5, 6, 7};
    ByteReader sub = ByteReader(bytes).Sub(2, 4);
    EXPECT_EQ(sub.U8(0), 2);
    EXPECT_EQ(sub.size(), 4u);
    EXPECT_THROW(sub.U8(4), FormatError);
    EXPECT_THROW(ByteReader(bytes).Sub(6, 3), FormatError);
}

TEST(FileIo, ExtensionsRunFromTheLastDotOfTheWholePath) {
    EXPECT_EQ(PathExtension("dir/name.mdlx"), ".mdlx");
    EXPECT_EQ(PathExtension("old.dir/data"), ".dir/data");
    EXPECT_EQ(PathExtension("data"), "");
    EXPECT_TRUE(HasExtension("a.MdLs", ".MDLS"));
    EXPECT_FALSE(HasExtension("a.mdlsx", ".MDLS"));
    EXPECT_EQ(ReplaceExtension("dir/name.MDLX", ".mset"), "dir/name.mset");
    EXPECT_EQ(ReplaceExtension("dir/name", ".mset"), "dir/name.mset");
}

TEST(FileIo, ReadWholeFileReportsUnreadablePaths) {
    testing::TempDir dir;
    const std::string path = dir.Write("f.bin", std::vector<uint8_t>{1, 2, 3});
    EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_THROW(ReadWholeFile((dir.path() / "missing").string()), FileError);
    EXPECT_THROW(ReadWholeFile(dir.path().string()), FileError);
}

}  // namespace
}  // namespace vertigon
