// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pixelary::fileops {

enum class WallpaperStyle { Tiled, Centred };

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// A picture larger than the screen in either direction shrinks by the larger of the two ratios,
// keeping its proportions (sizes truncated, at least 1); a smaller one keeps its own size.
Size WallpaperTargetSize(Size picture, Size screen);

// One program run with its arguments.
struct DesktopCommand {
    std::string program;
    std::vector<std::string> arguments;
    bool operator==(const DesktopCommand&) const = default;
};

// The commands that set file as the wallpaper of the running desktop, named by
// XDG_CURRENT_DESKTOP (a colon-separated list such as "ubuntu:GNOME"). GNOME-family desktops,
// KDE Plasma and Xfce are told through their own settings; elsewhere feh or xwallpaper is used
// when installed (hasProgram says whether a program is on the PATH). Empty when no way is known.
std::vector<DesktopCommand> WallpaperCommands(
    const std::string& desktop, const std::string& file, WallpaperStyle style,
    const std::function<bool(const std::string&)>& hasProgram);

// Runs a command and says whether it succeeded; replaceable so tests record instead of running.
using CommandRunner = std::function<bool(const DesktopCommand&)>;

// Hands file to the freedesktop wallpaper portal; false when there is no portal or it refused.
// The portal knows no tiled or centred: the desktop keeps its own picture option.
using PortalRequest = std::function<bool(const std::string& file)>;

// The ways of telling the desktop, in the order they are tried.
enum class WallpaperWay {
    DesktopSettings,  // the running desktop's own settings (GNOME family, Plasma, Xfce)
    Portal,           // the freedesktop wallpaper portal
    Program,          // feh or xwallpaper, for desktops without settings of their own
};

// Sets the wallpaper: the running desktop's own settings, every command in turn; when the
// desktop has none or one of them fails, the portal; when that is missing or refuses, on a
// desktop without settings of its own, feh or xwallpaper. Says which way took it; none when no
// way did.
std::optional<WallpaperWay> ApplyWallpaper(
    const std::string& desktop, const std::string& file, WallpaperStyle style,
    const std::function<bool(const std::string&)>& hasProgram, const CommandRunner& run,
    const PortalRequest& portal = {});

}  // namespace pixelary::fileops
