// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileops/Wallpaper.h"

#include <algorithm>
#include <sstream>

#include "core/Text.h"

namespace pixelary::fileops {

namespace {

using Commands = std::vector<DesktopCommand>;

std::vector<std::string> DesktopNames(const std::string& desktop) {
    std::vector<std::string> names;
    std::stringstream list(text::ToLower(desktop));
    for (std::string name; std::getline(list, name, ':');) {
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

bool Has(const std::vector<std::string>& names, std::initializer_list<const char*> wanted) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return std::any_of(wanted.begin(), wanted.end(), [&](const char* w) { return name == w; });
    });
}

std::string FileUri(const std::string& file) {
    return "file://" + file;
}

DesktopCommand GSettings(const std::string& schema, const std::string& key,
                         const std::string& value) {
    return {"gsettings", {"set", schema, key, value}};
}

Commands GnomeCommands(const std::string& file, WallpaperStyle style) {
    const std::string schema = "org.gnome.desktop.background";
    const std::string option = style == WallpaperStyle::Tiled ? "wallpaper" : "centered";
    return {GSettings(schema, "picture-options", option),
            GSettings(schema, "picture-uri", FileUri(file)),
            GSettings(schema, "picture-uri-dark", FileUri(file))};
}

Commands CinnamonCommands(const std::string& file, WallpaperStyle style) {
    const std::string schema = "org.cinnamon.desktop.background";
    const std::string option = style == WallpaperStyle::Tiled ? "wallpaper" : "centered";
    return {GSettings(schema, "picture-options", option),
            GSettings(schema, "picture-uri", FileUri(file))};
}

Commands MateCommands(const std::string& file, WallpaperStyle style) {
    const std::string schema = "org.mate.background";
    const std::string option = style == WallpaperStyle::Tiled ? "wallpaper" : "centered";
    return {GSettings(schema, "picture-options", option),
            GSettings(schema, "picture-filename", file)};
}

// Plasma's image wallpaper fill modes: 3 tiles, 6 centres the picture unscaled.
Commands PlasmaCommands(const std::string& file, WallpaperStyle style) {
    const int fill_mode = style == WallpaperStyle::Tiled ? 3 : 6;
    std::string script =
        "for (const d of desktops()) { d.wallpaperPlugin = 'org.kde.image';"
        " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
        " d.writeConfig('Image', '" +
        FileUri(file) +
        "');"
        " d.writeConfig('FillMode', " +
        std::to_string(fill_mode) + "); }";
    return {
        {"qdbus",
         {"org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script}}};
}

// Xfce's image-style: 1 centred, 2 tiled; every monitor's last-image property is set.
Commands XfceCommands(const std::string& file, WallpaperStyle style) {
    const std::string image_style = style == WallpaperStyle::Tiled ? "2" : "1";
    const std::string script =
        "for p in $(xfconf-query -c xfce4-desktop -l | grep -E 'last-image$'); do "
        "xfconf-query -c xfce4-desktop -p \"$p\" -s \"$1\" && "
        "xfconf-query -c xfce4-desktop -p \"${p%last-image}image-style\" -n -t int -s \"$2\"; "
        "done";
    return {{"sh", {"-c", script, "pixelary-wallpaper", file, image_style}}};
}

// The running desktop's own settings; empty for a desktop not known here.
Commands DesktopSettingsCommands(const std::string& desktop, const std::string& file,
                                 WallpaperStyle style) {
    const auto names = DesktopNames(desktop);
    if (Has(names, {"kde"})) return PlasmaCommands(file, style);
    if (Has(names, {"xfce"})) return XfceCommands(file, style);
    if (Has(names, {"x-cinnamon", "cinnamon"})) return CinnamonCommands(file, style);
    if (Has(names, {"mate"})) return MateCommands(file, style);
    if (Has(names, {"gnome", "unity", "budgie", "pantheon", "gnome-classic", "gnome-flashback"})) {
        return GnomeCommands(file, style);
    }
    return {};
}

// feh or xwallpaper, whichever is installed first; empty when neither is.
Commands ProgramCommands(const std::string& file, WallpaperStyle style,
                         const std::function<bool(const std::string&)>& hasProgram) {
    const bool tiled = style == WallpaperStyle::Tiled;
    if (hasProgram("feh")) return {{"feh", {tiled ? "--bg-tile" : "--bg-center", file}}};
    if (hasProgram("xwallpaper")) return {{"xwallpaper", {tiled ? "--tile" : "--center", file}}};
    return {};
}

// Runs the commands in turn; false when there are none or one fails.
bool RunAll(const Commands& commands, const CommandRunner& run) {
    return !commands.empty() && std::all_of(commands.begin(), commands.end(), run);
}

}  // namespace

Size WallpaperTargetSize(Size picture, Size screen) {
    if (picture.width <= screen.width && picture.height <= screen.height) return picture;
    const double scale = std::max(static_cast<double>(picture.width) / screen.width,
                                  static_cast<double>(picture.height) / screen.height);
    return {std::max(1, static_cast<int>(picture.width / scale)),
            std::max(1, static_cast<int>(picture.height / scale))};
}

std::vector<DesktopCommand> WallpaperCommands(
    const std::string& desktop, const std::string& file, WallpaperStyle style,
    const std::function<bool(const std::string&)>& hasProgram) {
    Commands commands = DesktopSettingsCommands(desktop, file, style);
    return commands.empty() ? ProgramCommands(file, style, hasProgram) : commands;
}

std::optional<WallpaperWay> ApplyWallpaper(
    const std::string& desktop, const std::string& file, WallpaperStyle style,
    const std::function<bool(const std::string&)>& hasProgram, const CommandRunner& run,
    const PortalRequest& portal) {
    const Commands settings = DesktopSettingsCommands(desktop, file, style);
    if (RunAll(settings, run)) return WallpaperWay::DesktopSettings;
    if (portal && portal(file)) return WallpaperWay::Portal;
    // A desktop that draws its own background hides what feh or xwallpaper puts on the root
    // window, so they are no way for it.
    if (settings.empty() && RunAll(ProgramCommands(file, style, hasProgram), run)) {
        return WallpaperWay::Program;
    }
    return std::nullopt;
}

}  // namespace pixelary::fileops
