// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sane/sane.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pixelary::dsm {

// Scan modes the source window offers.
enum class ScanMode { Colour, Grey, LineArt };

// The choices of the source window, in the device's own units (dots per inch, millimetres).
struct ScanSettings {
    ScanMode mode = ScanMode::Colour;
    int resolution = 0;
    double left = 0, top = 0, right = 0, bottom = 0;
};

// The limits of a device's options, for the source window's controls.
struct ScanLimits {
    std::vector<ScanMode> modes;
    int minResolution = 0, maxResolution = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    ScanSettings current;
};

// What one started frame looks like.
struct FrameInfo {
    bool rgb = false;
    int depth = 8;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    int resolution = 0;
};

// One open SANE device: its options, one frame at a time, read in whole rows. Every SANE failure
// is reported as a false result with the SANE status text in Error().
class SaneDevice {
  public:
    explicit SaneDevice(SANE_Handle handle) : handle_(handle) {}
    ~SaneDevice();
    SaneDevice(const SaneDevice&) = delete;
    SaneDevice& operator=(const SaneDevice&) = delete;

    ScanLimits Limits();
    bool Apply(const ScanSettings& settings);
    bool Start();
    const FrameInfo& Frame() const { return frame_; }
    int RowsLeft() const { return rows_left_; }
    bool Scanning() const { return scanning_; }
    // Reads `rows` whole rows into target (rows × bytes per line bytes).
    bool ReadRows(std::uint8_t* target, int rows);
    void Cancel();
    const std::string& Error() const { return error_; }

  private:
    int FindOption(const char* name) const;
    bool SetWord(const char* name, double value);
    bool SetText(const char* name, const char* value);
    std::optional<double> GetWord(const char* name) const;
    bool Fail(SANE_Status status, const char* what);

    SANE_Handle handle_;
    FrameInfo frame_;
    bool scanning_ = false;
    int rows_left_ = 0;
    std::string error_;
};

}  // namespace pixelary::dsm
