// The libraries keep no mutable state of their own at namespace scope or in function statics, so
// that two workspaces can load, animate and draw side by side. `nm` names every writable data
// (d, D) and zero-filled (b, B) object; constant tables with pointers in them land in the
// read-only-after-relocation section, which nm also calls d, so the section is asked of objdump.
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

// The only mutable objects the render library may hold: EGL keeps its state per thread, and the
// offscreen context counts the contexts of its thread to release that state with the last one.
const std::set<std::string> kRenderAllowed = {"vertigon::(anonymous namespace)::liveContexts"};

std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

// (archive member, demangled name) -> section, from `objdump -t -C`.
std::map<std::pair<std::string, std::string>, std::string> Sections(const std::string& library) {
    std::map<std::pair<std::string, std::string>, std::string> sections;
    std::istringstream lines(Run("objdump -t -C " + library));
    std::string line, member;
    while (std::getline(lines, line)) {
        if (const size_t format = line.find(":     file format"); format != std::string::npos) {
            member = line.substr(0, format);
            continue;
        }
        // "<address> <flags> <section>\t<size> <name>"
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || tab < 25) continue;
        const size_t sectionStart = line.rfind(' ', tab) + 1;
        const size_t nameStart = line.find(' ', tab);
        if (nameStart == std::string::npos) continue;
        sections[{member, line.substr(nameStart + 1)}] = line.substr(sectionStart, tab - sectionStart);
    }
    return sections;
}

bool CompilerArtefact(const std::string& name) {
    return name.starts_with("guard variable for ") || name.find("__ioinit") != std::string::npos ||
           name.starts_with("__asan") || name.starts_with("___asan") || name.starts_with("__odr_asan") ||
           name.starts_with("__sancov") || name.starts_with("__ubsan") ||
           name.starts_with("__unnamed_");  // Clang's sanitizer records (source places, type names)
}

// Every writable object `nm -C --defined-only` lists, as "member: type name".
std::vector<std::string> MutableObjects(const std::string& library, const std::set<std::string>& allowed) {
    const auto sections = Sections(library);
    std::vector<std::string> found;
    std::istringstream lines(Run("nm -C --defined-only " + library));
    std::string line, member;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == ':') {
            member = line.substr(0, line.size() - 1);
            continue;
        }
        if (line.size() < 20 || line[16] != ' ' || line[18] != ' ') continue;
        const char type = line[17];
        if (type != 'b' && type != 'B' && type != 'd' && type != 'D') continue;
        const std::string name = line.substr(19);
        if (CompilerArtefact(name) || allowed.count(name)) continue;
        const auto section = sections.find({member, name});
        if (section != sections.end() && section->second.starts_with(".data.rel.ro")) continue;
        found.push_back(member + ": " + type + " " + name);
    }
    return found;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TEST(LibraryState, TheSceneEmulatorFormatsAndExportLibrariesHoldNoMutableObjects) {
    for (const char* library : {VERTIGON_SCENE_LIBRARY, VERTIGON_EE_LIBRARY, VERTIGON_FORMATS_LIBRARY,
                                VERTIGON_EXPORT_LIBRARY, VERTIGON_IMAGE_LIBRARY}) {
        const std::vector<std::string> found = MutableObjects(library, {});
        EXPECT_TRUE(found.empty()) << library << ":\n" << Joined(found);
    }
}

TEST(LibraryState, TheRenderLibraryHoldsNoMutableObjectsButTheEglThreadCount) {
    const std::vector<std::string> found = MutableObjects(VERTIGON_RENDER_LIBRARY, kRenderAllowed);
    EXPECT_TRUE(found.empty()) << Joined(found);
}

}  // namespace
}  // namespace vertigon
