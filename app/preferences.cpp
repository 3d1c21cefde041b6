#include "app/preferences.h"

#include <wx/fileconf.h>
#include <wx/log.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "app/wx_text.h"

namespace vertigon {

namespace {

// Windows smaller than this, or placed this far off, are taken as damage.
constexpr int kSmallestSide = 200;
constexpr int kFarthest = 100000;

std::unique_ptr<wxFileConfig> OpenConfig(const std::string& path) {
    return std::make_unique<wxFileConfig>("vertigon", wxEmptyString, PathToWx(path), wxEmptyString,
                                          wxCONFIG_USE_LOCAL_FILE);
}

bool ReadBool(wxFileConfig& config, const char* key, bool fallback) {
    long value = 0;
    if (!config.Read(key, &value) || (value != 0 && value != 1)) return fallback;
    return value == 1;
}

std::optional<long> ReadLong(wxFileConfig& config, const char* key, long least, long most) {
    wxString text;
    if (!config.Read(key, &text)) return std::nullopt;
    long value = 0;
    if (!text.ToLong(&value) || value < least || value > most) return std::nullopt;
    return value;
}

}  // namespace

std::string PreferencesPath() {
    namespace fs = std::filesystem;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    fs::path base;
    if (configHome && *configHome) {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home && *home ? home : ".") / ".config";
    }
    return (base / "vertigon" / "vertigon.conf").string();
}

Preferences LoadPreferences(const std::string& path) {
    Preferences preferences;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return preferences;
    const wxLogNull quiet;  // a damaged file is not worth a message box at start-up
    const std::unique_ptr<wxFileConfig> config = OpenConfig(path);
    preferences.frameOnOpen = ReadBool(*config, "/View/FrameOnOpen", preferences.frameOnOpen);
    preferences.grid = ReadBool(*config, "/View/Grid", preferences.grid);
    preferences.axes = ReadBool(*config, "/View/Axes", preferences.axes);
    if (const auto colour = ReadLong(*config, "/View/Background", 0, 0xFFFFFF)) {
        preferences.background = static_cast<uint32_t>(*colour);
    }
    for (size_t i = 1; i <= Preferences::kRecentFiles; ++i) {
        wxString file;
        if (config->Read(wxString::Format("/RecentFiles/file%zu", i), &file) && !file.empty()) {
            preferences.recentFiles.push_back(PathFromWx(file));
        }
    }
    wxString folder;
    if (config->Read("/Files/LastFolder", &folder)) preferences.lastFolder = PathFromWx(folder);
    const auto x = ReadLong(*config, "/Window/X", -kFarthest, kFarthest);
    const auto y = ReadLong(*config, "/Window/Y", -kFarthest, kFarthest);
    const auto width = ReadLong(*config, "/Window/Width", kSmallestSide, kFarthest);
    const auto height = ReadLong(*config, "/Window/Height", kSmallestSide, kFarthest);
    if (x && y && width && height) {
        preferences.window = WindowPlacement{static_cast<int>(*x), static_cast<int>(*y), static_cast<int>(*width),
                                             static_cast<int>(*height)};
    }
    return preferences;
}

bool SavePreferences(const Preferences& preferences, const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const wxLogNull quiet;
    const std::unique_ptr<wxFileConfig> config = OpenConfig(path);
    config->DeleteAll();
    config->Write("/View/FrameOnOpen", preferences.frameOnOpen ? 1L : 0L);
    config->Write("/View/Grid", preferences.grid ? 1L : 0L);
    config->Write("/View/Axes", preferences.axes ? 1L : 0L);
    if (preferences.background) config->Write("/View/Background", static_cast<long>(*preferences.background));
    for (size_t i = 0; i < preferences.recentFiles.size() && i < Preferences::kRecentFiles; ++i) {
        config->Write(wxString::Format("/RecentFiles/file%zu", i + 1), PathToWx(preferences.recentFiles[i]));
    }
    if (!preferences.lastFolder.empty()) config->Write("/Files/LastFolder", PathToWx(preferences.lastFolder));
    if (const auto& w = preferences.window) {
        config->Write("/Window/X", static_cast<long>(w->x));
        config->Write("/Window/Y", static_cast<long>(w->y));
        config->Write("/Window/Width", static_cast<long>(w->width));
        config->Write("/Window/Height", static_cast<long>(w->height));
    }
    return config->Flush();
}

}  // namespace vertigon
