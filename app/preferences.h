// What the viewer remembers between runs, kept with the toolkit's file configuration in
// $XDG_CONFIG_HOME/vertigon/vertigon.conf (~/.config/vertigon/ when the variable is unset or
// empty). A missing, unreadable or damaged file gives the defaults: the viewer always starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vertigon {

struct WindowPlacement {
    int x = 50, y = 50;
    int width = 1400, height = 1000;

    bool operator==(const WindowPlacement&) const = default;
};

struct Preferences {
    static constexpr size_t kRecentFiles = 8;

    bool frameOnOpen = true;
    bool grid = false;
    bool axes = false;
    std::optional<uint32_t> background;  // 0xRRGGBB; none: the start-up grey
    std::vector<std::string> recentFiles;  // newest first, at most kRecentFiles
    std::string lastFolder;  // of the file dialog
    std::optional<WindowPlacement> window;

    bool operator==(const Preferences&) const = default;
};

// The file's path from the environment.
std::string PreferencesPath();

// Every value that is missing or out of range keeps its default.
Preferences LoadPreferences(const std::string& path);
// Makes the folder when needed; false when the file cannot be written.
bool SavePreferences(const Preferences& preferences, const std::string& path);

}  // namespace vertigon
