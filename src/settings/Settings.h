// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

class QSettings;

namespace pixelary {

// The eleven user settings, one record per process; fields in the order they are stored.
struct Settings {
    std::string CachePath;                // "Cache path": thumbnail cache directory
    std::int32_t CacheSize = 4096;        // "Cache size": cache limit in KB
    std::int32_t OpenFileMouse = 1;       // "Open file mouse": 0 click text, 1 double click
    std::string PrintModal;               // "Print modal": chosen print style
    std::string PrintFrameBitmap;         // "Print frame bitmap": last frame picture
    std::string TwainFileName = "File";   // "TWAIN file name": base name of scanned files
    std::string TwainFileFormat = "jpg";  // "TWAIN file format"
    std::int32_t TwainFileStartNum = 0;   // "TWAIN file start num"
    std::int32_t TwainFileStepNum = 1;    // "TWAIN file step num"
    std::int32_t TwainJpegQuality = 90;   // "TWAIN jpeg quality"
    std::int32_t TwainJpegSmooty = 0;     // "TWAIN jpeg smooty"
};

// Mouse modes of "Open file mouse".
enum OpenFileMouseMode : std::int32_t { kClickText = 0, kDoubleClickIcon = 1 };

// The process-wide record that the main window and the dialogs share.
Settings& ProcessSettings();

// The per-user program directory: $XDG_DATA_HOME/Pixelary, else ~/.local/share/Pixelary.
std::string WindowsDirectory();
// windowsDirectory + "/Temp/PixCache".
std::string DefaultCachePath(const std::string& windowsDirectory);

// Creates windowsDirectory, its "Temp" and "Temp/PixCache" (failures ignored), then fills
// settings with the defaults and every stored value found in store. A value of the wrong type
// raises ERegistryException; the values read before it are kept, the rest stay defaults.
void LoadSettings(Settings& settings, QSettings& store, const std::string& windowsDirectory);
// Writes all eleven values; false when the store could not be written.
bool SaveSettings(const Settings& settings, QSettings& store);

// The same on the process record, the user's store (organisation "Norvanti", application
// "Pixelary") and WindowsDirectory().
void LoadSettings();
bool SaveSettings();

}  // namespace pixelary
