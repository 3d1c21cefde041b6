// `cmake --install` into a scratch prefix, and the installed tree checked with the desktop's own
// tools: the desktop entry validates, the MIME types load and name every model kind, the
// thumbnailer runs the installed tool, the manual pages render and list what --help lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "scene/licence.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

namespace fs = std::filesystem;
using namespace testing;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) about "'" + std::string.
std::string Quote(const fs::path& path) {
    std::string quoted = "'";
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

// The value of `key=` in a desktop-style file, empty when absent.
std::string KeyValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return {};
}

std::set<std::string> SplitList(const std::string& list) {
    std::set<std::string> items;
    std::istringstream parts(list);
    for (std::string item; std::getline(parts, item, ';');) {
        if (!item.empty()) items.insert(item);
    }
    return items;
}

// Every "--option" and every command word (two-space indented at the start of a line) of a usage text.
std::set<std::string> UsageNames(const std::string& usage) {
    std::set<std::string> names;
    const std::regex option("--[a-z][a-z-]*"), command("\n  ([a-z][a-z-]+) ");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option); it != std::sregex_iterator(); ++it) {
        names.insert(it->str());
    }
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), command); it != std::sregex_iterator(); ++it) {
        names.insert((*it)[1].str());
    }
    return names;
}

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = new TempDir;
        const CliResult r = RunCommandLine(std::string(VERTIGON_CMAKE_COMMAND) + " --install " VERTIGON_BINARY_DIR
                                           " --prefix " + Quote(Prefix()));
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    static void TearDownTestSuite() {
        delete scratch_;
        scratch_ = nullptr;
    }
    static fs::path Prefix() { return scratch_->path() / "usr"; }
    static fs::path Share() { return Prefix() / "share"; }

    static TempDir* scratch_;
};

TempDir* InstalledTree::scratch_ = nullptr;

TEST_F(InstalledTree, HoldsTheProgramsIconsAndVersion) {
    for (const char* file : {"bin/vertigon", "bin/vertigon-cli", "share/icons/hicolor/scalable/apps/vertigon.svg",
                             "share/icons/hicolor/48x48/apps/vertigon.png",
                             "share/icons/hicolor/256x256/apps/vertigon.png",
                             "share/vertigon/blender/vertigon-blender-addon.zip"}) {
        EXPECT_TRUE(fs::is_regular_file(Prefix() / file)) << file;
    }
    for (const int size : {48, 256}) {
        // The PNG header's width and height, big-endian at bytes 16 and 20.
        const std::string png = ReadText(Share() / "icons/hicolor" / (std::to_string(size) + "x" +
                                         std::to_string(size)) / "apps/vertigon.png");
        ASSERT_GT(png.size(), 24u);
        EXPECT_EQ(static_cast<uint8_t>(png[18]) * 256 + static_cast<uint8_t>(png[19]), size);
        EXPECT_EQ(static_cast<uint8_t>(png[22]) * 256 + static_cast<uint8_t>(png[23]), size);
    }
    for (const char* program : {"vertigon", "vertigon-cli"}) {
        const CliResult r = RunCommandLine(Quote(Prefix() / "bin" / program) + " --version");
        EXPECT_EQ(r.status, 0) << program;
        EXPECT_EQ(r.out, std::string("Vertigon " VERTIGON_VERSION "\n") + kLicenceNotice) << program;
    }
}

TEST_F(InstalledTree, DesktopEntryMimeTypesAndThumbnailerAgree) {
    const fs::path desktop = Share() / "applications/vertigon.desktop";
    const CliResult valid = RunCommandLine("desktop-file-validate " + Quote(desktop));
    EXPECT_EQ(valid.status, 0);
    EXPECT_EQ(valid.out + valid.err, "") << "the validator has nothing to say";
    const std::string entry = ReadText(desktop);
    EXPECT_EQ(KeyValue(entry, "Exec"), "vertigon %F");
    EXPECT_EQ(SplitList(KeyValue(entry, "Categories")).count("3DGraphics"), 1u);

    const CliResult update = RunCommandLine("update-mime-database " + Quote(Share() / "mime"));
    ASSERT_EQ(update.status, 0) << update.err;
    // What a file manager would call each file, with only the system's and the installed types.
    TempDir files;
    const std::string mdlx = ReadText(std::string(VERTIGON_SOURCE_DIR) + "/samples/mdlx_sample.mdlx");
    const std::pair<std::string, std::string> expected[] = {
        {std::string(VERTIGON_SOURCE_DIR) + "/samples/demo.ffb", "model/x-ffx-ffb"},
        {std::string(VERTIGON_SOURCE_DIR) + "/samples/winged_totem.raw", "model/x-ff12-raw"},
        {std::string(VERTIGON_SOURCE_DIR) + "/samples/mdlx_sample.mdlx", "model/x-kh2-mdlx"},
        {files.Write("renamed.bin", mdlx), "model/x-kh2-mdlx"},  // by its "BAR" 1 start
        {files.Write("figure.mdls", std::string("model bytes")), "model/x-kh-mdls"},
        {files.Write("figure.mset", mdlx), "application/x-kh-mset"},
    };
    const std::string environment = "env XDG_DATA_DIRS=" + Quote(Share()) + ":/usr/share XDG_DATA_HOME=" +
                                    Quote(files.path() / "no-home") + " ";
    std::set<std::string> modelTypes;
    for (const auto& [path, type] : expected) {
        const CliResult r = RunCommandLine(environment + "gio info -a standard::content-type " + Quote(path));
        EXPECT_NE(r.out.find("standard::content-type: " + type + "\n"), std::string::npos) << path << ":\n" << r.out;
        if (type.rfind("model/", 0) == 0) modelTypes.insert(type);
    }
    EXPECT_EQ(SplitList(KeyValue(entry, "MimeType")), modelTypes) << "the viewer opens every model type";

    const std::string thumbnailer = ReadText(Share() / "thumbnailers/vertigon.thumbnailer");
    EXPECT_EQ(SplitList(KeyValue(thumbnailer, "MimeType")), modelTypes);
    const std::string command = KeyValue(thumbnailer, "TryExec");
    ASSERT_TRUE(fs::is_regular_file(Prefix() / "bin" / command)) << command;
    // Run it as a file manager would, with the installed programs first on the path.
    std::string exec = KeyValue(thumbnailer, "Exec");
    ASSERT_EQ(exec.rfind(command + " ", 0), 0u) << exec;
    const fs::path out = files.path() / "thumbnail.png";
    exec = std::regex_replace(exec, std::regex("%i"), Quote(expected[0].first));
    exec = std::regex_replace(exec, std::regex("%o"), Quote(out));
    exec = std::regex_replace(exec, std::regex("%s"), "128");
    const CliResult thumbnail = RunCommandLine("PATH=" + Quote(Prefix() / "bin") + ":\"$PATH\" " + exec);
    EXPECT_EQ(thumbnail.status, 0) << exec << "\n" << thumbnail.err;
    EXPECT_GT(fs::exists(out) ? fs::file_size(out) : 0, 100u);
}

TEST_F(InstalledTree, ManualPagesRenderAndNameWhatHelpNames) {
    for (const char* program : {"vertigon", "vertigon-cli"}) {
        SCOPED_TRACE(program);
        const fs::path page = Share() / "man/man1" / (std::string(program) + ".1.gz");
        const CliResult man = RunCommandLine("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l " + Quote(page));
        EXPECT_EQ(man.status, 0);
        EXPECT_EQ(man.err, "") << "groff has no complaints";
        EXPECT_NE(man.out.find("NAME"), std::string::npos);
        EXPECT_NE(man.out.find("EXIT STATUS"), std::string::npos);
        // The source, with roff's escaped hyphens as written, names every option and command.
        const std::string source =
            std::regex_replace(ReadText(std::string(VERTIGON_SOURCE_DIR) + "/docs/man/" + program + ".1"),
                               std::regex(R"(\\-)"), "-");
        const std::string usage = RunCommandLine(Quote(Prefix() / "bin" / program) + " --help").out;
        ASSERT_FALSE(usage.empty());
        for (const std::string& name : UsageNames(usage)) {
            EXPECT_NE(source.find(name), std::string::npos) << name << " is in --help but not in the manual page";
        }
    }
}

}  // namespace
}  // namespace vertigon
