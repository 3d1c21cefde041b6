// Writes the seed inputs of every fuzz target into FOLDER/<target>/ from the fixture writers and
// the bundled samples' builders: small files that reach the main paths of each reader.
//   make_fuzz_seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/fixtures/byte_writer.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/ffb_demo_sample.h"
#include "tests/fixtures/ffb_fixtures.h"
#include "tests/fixtures/ffb_writer.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/mdlx_sample.h"
#include "tests/fixtures/r5900_assembler.h"
#include "tests/fixtures/raw_sample.h"

using namespace vertigon;
using namespace vertigon::testing;
using Bytes = std::vector<uint8_t>;

namespace {

class SeedWriter {
public:
    explicit SeedWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}

    void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
        const std::filesystem::path dir = folder_ / target;
        std::filesystem::create_directories(dir);
        std::ofstream out(dir / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + (dir / name).string());
        std::printf("%s/%s (%zu bytes)\n", target.c_str(), name.c_str(), bytes.size());
    }

private:
    std::filesystem::path folder_;
};

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes LittleEndian32(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

// The MDLS target's input: the MDLS file's size, the file, then its companion MSET.
Bytes MdlsWithMset(const Bytes& mdls, const Bytes& mset) { return Concat(Concat(LittleEndian32(uint32_t(mdls.size())), mdls), mset); }

MdlsDescription SmallMdls() {
    MdlsDescription d;
    d.bones.resize(2);
    d.bones[1].parentField = 0;
    d.bones[1].translation = {0, 1, 0};
    std::vector<MdlsUnweightedVertex> row;
    for (int i = 0; i < 4; ++i) row.push_back({0, {float(i), float(i % 2), 0}, float(i) / 4, 0.5f});
    MdlsMesh mesh;
    mesh.stream = MdlsStream().Slot(0, 1).Vertices(1, row).End().bytes;
    d.meshes.push_back(mesh);
    MdlsTexture texture{4, 2, {0, 1, 2, 3, 4, 5, 6, 7}, {}};
    for (size_t i = 0; i < 256; ++i) texture.palette[i] = {uint8_t(i), 0x40, 0x80, 0x80};
    d.textures.push_back(texture);
    return d;
}

MsetDescription TwoAnimations(bool motionMagic) {
    MsetDescription m;
    m.motionMagic = motionMagic;
    m.offsets = {0, 0x40};
    m.bytesAfterList = 0x80;
    return m;
}

// Two animations the test program image plays: one moving bone 1, one spinning.
MsetDescription TestImageAnimations() {
    TestAnimation walk;
    walk.bones.resize(2);
    walk.bones[1].velocity = {1, 0, 0, 0};
    TestAnimation spin = walk;
    spin.mode = TestAnimationMode::FrameSpins;
    MsetDescription m;
    m.offsets = {0, 0x200};
    m.blocks = {{0, WriteTestAnimationBlock(walk)}, {0x200, WriteTestAnimationBlock(spin)}};
    m.bytesAfterList = 0x400;
    return m;
}

// The viewer-path target's input: the format, then what that loader's target takes.
Bytes ViewerInput(uint8_t format, const Bytes& file) { return Concat({format}, file); }

// An ELF header with one loadable segment of `payload` at main-memory offset 0x100000.
Bytes SmallElf(const Bytes& payload) {
    Bytes elf(52 + 32, 0);
    const uint8_t ident[] = {0x7F, 'E', 'L', 'F', 1, 1, 1};
    std::copy(std::begin(ident), std::end(ident), elf.begin());
    const auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) elf[at + i] = uint8_t(v >> (8 * i)); };
    const auto put16 = [&](size_t at, uint16_t v) { elf[at] = uint8_t(v); elf[at + 1] = uint8_t(v >> 8); };
    put16(16, 2);       // executable
    put16(18, 8);       // MIPS
    put32(24, 0x100000);  // entry
    put32(28, 52);      // program headers
    put16(42, 32);
    put16(44, 1);
    put32(52, 1);  // loadable
    put32(56, 84);
    put32(60, 0x100000);
    put32(64, 0x100000);
    put32(68, uint32_t(payload.size()));
    put32(72, uint32_t(payload.size()));
    return Concat(elf, payload);
}

// The GS target's input: W (u16), Hr (u16), write width, read width, then the words.
Bytes GsInput(uint16_t w, uint16_t hr, uint8_t writeWidth, uint8_t readWidth) {
    Bytes bytes = {uint8_t(w), uint8_t(w >> 8), uint8_t(hr), uint8_t(hr >> 8), writeWidth, readWidth};
    for (uint32_t i = 0; i < uint32_t{w} * hr * 4; ++i) bytes.push_back(uint8_t(i * 7));
    return bytes;
}

// The emulator target's input: the data length, the data, then the code words.
Bytes EmulatorInput(const std::string& source) {
    Bytes data;
    for (int i = 0; i < 64; ++i) data.push_back(uint8_t(i * 3 + 1));
    Bytes input = {uint8_t(data.size())};
    input = Concat(input, data);
    return Concat(input, AssembleR5900(".set noreorder\n.set gp=64\n" + source).bytes);
}

void WriteEmulatorSeeds(SeedWriter& out) {
    const char* const programs[][2] = {
        {"loads_stores", "lw $t0, 0($a0)\n lq $t1, 16($a0)\n sq $t1, 0($a1)\n sd $t0, 8($a2)\n"
                         " lwl $t2, 3($a0)\n lwr $t2, 0($a0)\n sb $t2, 5($a1)\n jr $ra\n nop\n"},
        {"loop", "li $t0, 8\nl: addiu $t0, $t0, -1\n bnez $t0, l\n addu $t1, $t1, $t0\n"
                 " beql $t1, $zero, l\n nop\n jr $ra\n nop\n"},
        {"multimedia", "lq $t0, 0($a0)\n lq $t1, 16($a0)\n paddw $t2, $t0, $t1\n pmaddw $t3, $t0, $t1\n"
                       " pextlw $t4, $t2, $t3\n pcpyld $t5, $t4, $t0\n mult1 $t0, $t1\n mflo1 $t6\n"
                       " div1 $zero, $t0, $t1\n sq $t5, 32($a0)\n jr $ra\n nop\n"},
        {"fpu", "lwc1 $f0, 0($a0)\n lwc1 $f1, 4($a0)\n add.s $f2, $f0, $f1\n mul.s $f3, $f2, $f1\n"
                " div.s $f4, $f3, $f0\n madd.s $f5, $f3, $f4\n c.lt.s $f0, $f1\n bc1t 1f\n nop\n"
                " mov.s $f6, $f5\n1: swc1 $f6, 8($a1)\n jr $ra\n nop\n"},
        {"vu0_macro", "lqc2 $vf1, 0($a0)\n lqc2 $vf2, 16($a0)\n vadd.xyzw $vf3, $vf1, $vf2\n"
                      " vmulax.xyzw $ACC, $vf1, $vf2x\n vmaddz.xyzw $vf4, $vf2, $vf1z\n vdiv $Q, $vf1x, $vf2y\n"
                      " vwaitq\n vmulq.xyzw $vf5, $vf4, $Q\n sqc2 $vf5, 0($a1)\n qmfc2 $t0, $vf5\n"
                      " qmtc2 $t0, $vf6\n vcallms 0\n jr $ra\n nop\n"},
        {"hooks", "move $a1, $a0\n jal 0x262378\n addiu $a0, $a0, 64\n jal 0x262150\n nop\n"
                  " break 3\n syscall 1\n jr $ra\n nop\n"},
        {"cop0_traps", "mfc0 $t0, $9\n mtc0 $t0, $12\n sync.l\n teq $zero, $t0\n ei\n"
                       " jalr $t1\n nop\n jr $ra\n nop\n"},
    };
    for (const auto& [name, source] : programs) out.Write("emulator", name, EmulatorInput(source));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 64;
    }
    try {
        SeedWriter out(argv[1]);
        const Bytes smallArchive = SmallFfbArchive();
        const Bytes demo = BuildDemoSample();
        out.Write("ffb_plain_loader", "small.tar", smallArchive);
        out.Write("ffb_gzip_loader", "small.tar.gz", Gzip(smallArchive));
        out.Write("ffb_gzip_loader", "demo.ffb", demo);
        out.Write("ffa_animation", "small.ffa", WriteFfa(SmallFfaAnimations()));
        out.Write("mdlx_loader", "sample.mdlx", MdlxSampleFile());
        out.Write("raw_loader", "sample.raw", BuildRawSample());
        const Bytes mdls = WriteMdls(SmallMdls());
        out.Write("mdls_loader", "without_mset", MdlsWithMset(mdls, {}));
        out.Write("texture_writer", "demo", Concat({0, 0, 0}, demo));
        out.Write("texture_writer", "small_gzip_noise", Concat({0, 0, 1}, Gzip(smallArchive)));
        out.Write("texture_writer", "mdls", Concat({1, 0, 6}, mdls));
        out.Write("texture_writer", "mdlx_sample", Concat({2, 1, 0}, MdlxSampleFile()));
        out.Write("texture_writer", "raw_sample_noise", Concat({3, 2, 3}, BuildRawSample()));
        out.Write("mdls_loader", "with_mset", MdlsWithMset(mdls, WriteMset(TwoAnimations(true))));
        out.Write("mset_reader", "motion_magic.mset", WriteMset(TwoAnimations(true)));
        out.Write("mset_reader", "motion_offset.mset", WriteMset(TwoAnimations(false)));
        out.Write("program_image", "one_segment.elf", SmallElf(Bytes(64, 0x11)));
        out.Write("gs_unswizzle", "one_page", GsInput(16, 8, 1, 2));
        out.Write("gs_unswizzle", "two_pages", GsInput(64, 16, 1, 2));
        WriteEmulatorSeeds(out);
        out.Write("viewer_path", "demo", ViewerInput(0, demo));
        out.Write("viewer_path", "mdlx_sample", ViewerInput(1, MdlxSampleFile()));
        out.Write("viewer_path", "raw_sample", ViewerInput(2, BuildRawSample()));
        out.Write("viewer_path", "mdls_animated", ViewerInput(3, MdlsWithMset(mdls, WriteMset(TestImageAnimations()))));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
