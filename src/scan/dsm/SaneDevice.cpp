// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/dsm/SaneDevice.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace pixelary::dsm {

namespace {

// sane_read returning no data without an error this often in a row means a stuck device.
constexpr int kMaxIdleReads = 1000;
// Sanity limits for a frame a device describes.
constexpr int kMaxSide = 65535;
constexpr const char* kModeColour = SANE_VALUE_SCAN_MODE_COLOR;
constexpr const char* kModeGrey = SANE_VALUE_SCAN_MODE_GRAY;
constexpr const char* kModeLineArt = SANE_VALUE_SCAN_MODE_LINEART;

bool ListHas(const SANE_Option_Descriptor* option, const char* value) {
    if (!option || option->constraint_type != SANE_CONSTRAINT_STRING_LIST) return false;
    for (const SANE_String_Const* item = option->constraint.string_list; *item; ++item) {
        if (std::strcmp(*item, value) == 0) return true;
    }
    return false;
}

bool WordListHas(const SANE_Option_Descriptor* option, SANE_Word value) {
    if (!option || option->constraint_type != SANE_CONSTRAINT_WORD_LIST) return false;
    const SANE_Word* list = option->constraint.word_list;
    for (SANE_Word i = 1; i <= list[0]; ++i) {
        if (list[i] == value) return true;
    }
    return false;
}

double WordValue(const SANE_Option_Descriptor* option, SANE_Word word) {
    return option->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : static_cast<double>(word);
}

// The lowest and highest value an option allows.
std::pair<double, double> Range(const SANE_Option_Descriptor* option) {
    if (option->constraint_type == SANE_CONSTRAINT_RANGE) {
        return {WordValue(option, option->constraint.range->min),
                WordValue(option, option->constraint.range->max)};
    }
    if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST &&
        option->constraint.word_list[0] > 0) {
        const SANE_Word* list = option->constraint.word_list;
        const auto [low, high] = std::minmax_element(list + 1, list + 1 + list[0]);
        return {WordValue(option, *low), WordValue(option, *high)};
    }
    return {0, 0};
}

}  // namespace

SaneDevice::~SaneDevice() {
    Cancel();
    sane_close(handle_);
}

int SaneDevice::FindOption(const char* name) const {
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, i);
        if (!option) return -1;
        if (option->name && std::strcmp(option->name, name) == 0 &&
            SANE_OPTION_IS_ACTIVE(option->cap)) {
            return i;
        }
    }
}

std::optional<double> SaneDevice::GetWord(const char* name) const {
    const int index = FindOption(name);
    if (index < 0) return std::nullopt;
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, index);
    if (option->size != sizeof(SANE_Word)) return std::nullopt;
    SANE_Word word = 0;
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, &word, nullptr) !=
        SANE_STATUS_GOOD) {
        return std::nullopt;
    }
    return WordValue(option, word);
}

bool SaneDevice::SetWord(const char* name, double value) {
    const int index = FindOption(name);
    if (index < 0) return true;  // a device without the option scans with its own value
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, index);
    if (!SANE_OPTION_IS_SETTABLE(option->cap) || option->size != sizeof(SANE_Word)) return true;
    SANE_Word word =
        option->type == SANE_TYPE_FIXED ? SANE_FIX(value) : static_cast<SANE_Word>(value + 0.5);
    return Fail(sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, &word, nullptr), name);
}

bool SaneDevice::SetText(const char* name, const char* value) {
    const int index = FindOption(name);
    if (index < 0) return true;
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, index);
    if (option->type != SANE_TYPE_STRING || option->size <= 0) return true;
    std::vector<char> text(static_cast<std::size_t>(option->size), '\0');
    std::strncpy(text.data(), value, text.size() - 1);
    return Fail(sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, text.data(), nullptr),
                name);
}

bool SaneDevice::Fail(SANE_Status status, const char* what) {
    if (status == SANE_STATUS_GOOD) return true;
    error_ = std::string(what) + ": " + sane_strstatus(status);
    return false;
}

ScanLimits SaneDevice::Limits() {
    ScanLimits limits;
    const int modeIndex = FindOption(SANE_NAME_SCAN_MODE);
    const SANE_Option_Descriptor* mode =
        modeIndex < 0 ? nullptr : sane_get_option_descriptor(handle_, modeIndex);
    const int depthIndex = FindOption(SANE_NAME_BIT_DEPTH);
    const SANE_Option_Descriptor* depth =
        depthIndex < 0 ? nullptr : sane_get_option_descriptor(handle_, depthIndex);
    if (!mode || ListHas(mode, kModeColour)) limits.modes.push_back(ScanMode::Colour);
    if (ListHas(mode, kModeGrey)) limits.modes.push_back(ScanMode::Grey);
    // Without a line-art mode, grey at one bit per sample is line art.
    if (ListHas(mode, kModeLineArt) || (ListHas(mode, kModeGrey) && WordListHas(depth, 1))) {
        limits.modes.push_back(ScanMode::LineArt);
    }
    const auto range = [&](const char* name, auto& low, auto& high) {
        const int index = FindOption(name);
        if (index < 0) return;
        const auto [min, max] = Range(sane_get_option_descriptor(handle_, index));
        low = static_cast<std::remove_reference_t<decltype(low)>>(min);
        high = static_cast<std::remove_reference_t<decltype(high)>>(max);
    };
    range(SANE_NAME_SCAN_RESOLUTION, limits.minResolution, limits.maxResolution);
    range(SANE_NAME_SCAN_TL_X, limits.minX, limits.maxX);
    range(SANE_NAME_SCAN_TL_Y, limits.minY, limits.maxY);
    ScanSettings& current = limits.current;
    current.mode = limits.modes.empty() ? ScanMode::Colour : limits.modes.front();
    current.resolution = static_cast<int>(GetWord(SANE_NAME_SCAN_RESOLUTION).value_or(0));
    current.left = GetWord(SANE_NAME_SCAN_TL_X).value_or(0);
    current.top = GetWord(SANE_NAME_SCAN_TL_Y).value_or(0);
    current.right = GetWord(SANE_NAME_SCAN_BR_X).value_or(0);
    current.bottom = GetWord(SANE_NAME_SCAN_BR_Y).value_or(0);
    return limits;
}

bool SaneDevice::Apply(const ScanSettings& settings) {
    const int modeIndex = FindOption(SANE_NAME_SCAN_MODE);
    const SANE_Option_Descriptor* mode =
        modeIndex < 0 ? nullptr : sane_get_option_descriptor(handle_, modeIndex);
    bool ok = true;
    switch (settings.mode) {
        case ScanMode::Colour:
            ok = SetText(SANE_NAME_SCAN_MODE, kModeColour) && SetWord(SANE_NAME_BIT_DEPTH, 8);
            break;
        case ScanMode::Grey:
            ok = SetText(SANE_NAME_SCAN_MODE, kModeGrey) && SetWord(SANE_NAME_BIT_DEPTH, 8);
            break;
        case ScanMode::LineArt:
            ok = ListHas(mode, kModeLineArt)
                     ? SetText(SANE_NAME_SCAN_MODE, kModeLineArt)
                     : SetText(SANE_NAME_SCAN_MODE, kModeGrey) && SetWord(SANE_NAME_BIT_DEPTH, 1);
            break;
    }
    if (settings.resolution > 0) ok = ok && SetWord(SANE_NAME_SCAN_RESOLUTION, settings.resolution);
    if (settings.right > settings.left && settings.bottom > settings.top) {
        ok = ok && SetWord(SANE_NAME_SCAN_TL_X, settings.left) &&
             SetWord(SANE_NAME_SCAN_TL_Y, settings.top) &&
             SetWord(SANE_NAME_SCAN_BR_X, settings.right) &&
             SetWord(SANE_NAME_SCAN_BR_Y, settings.bottom);
    }
    return ok;
}

bool SaneDevice::Start() {
    Cancel();
    if (!Fail(sane_start(handle_), "start")) return false;
    scanning_ = true;
    SANE_Parameters parameters{};
    if (!Fail(sane_get_parameters(handle_, &parameters), "parameters")) {
        Cancel();
        return false;
    }
    const bool grey = parameters.format == SANE_FRAME_GRAY;
    const bool rgb = parameters.format == SANE_FRAME_RGB;
    const int channels = rgb ? 3 : 1;
    const bool depthOk = parameters.depth == 1 || parameters.depth == 8 || parameters.depth == 16;
    const long long minLine =
        (static_cast<long long>(parameters.pixels_per_line) * channels * parameters.depth + 7) / 8;
    // Multi-pass frames, unknown heights and inconsistent lines are refused.
    if ((!grey && !rgb) || (rgb && parameters.depth == 1) || !depthOk || parameters.lines <= 0 ||
        parameters.lines > kMaxSide || parameters.pixels_per_line <= 0 ||
        parameters.pixels_per_line > kMaxSide || parameters.bytes_per_line < minLine ||
        parameters.bytes_per_line > 4 * minLine + 64) {
        error_ = "The scanner delivers a kind of image that cannot be received.";
        Cancel();
        return false;
    }
    frame_.rgb = rgb;
    frame_.depth = parameters.depth;
    frame_.width = parameters.pixels_per_line;
    frame_.height = parameters.lines;
    frame_.bytesPerLine = parameters.bytes_per_line;
    frame_.resolution = static_cast<int>(GetWord(SANE_NAME_SCAN_RESOLUTION).value_or(0));
    rows_left_ = parameters.lines;
    return true;
}

bool SaneDevice::ReadRows(std::uint8_t* target, int rows) {
    if (!scanning_ || rows <= 0 || rows > rows_left_) return false;
    const std::size_t wanted = static_cast<std::size_t>(rows) * frame_.bytesPerLine;
    std::size_t have = 0;
    int idle = 0;
    while (have < wanted) {
        const SANE_Int chunk = static_cast<SANE_Int>(std::min<std::size_t>(wanted - have, 1 << 20));
        SANE_Int got = 0;
        const SANE_Status status = sane_read(handle_, target + have, chunk, &got);
        if (status == SANE_STATUS_EOF) {
            error_ = "The scanner ended the page early.";
            return false;
        }
        if (!Fail(status, "read")) return false;
        if (got < 0 || got > chunk) {
            error_ = "The scanner returned a bad length.";
            return false;
        }
        idle = got == 0 ? idle + 1 : 0;
        if (idle > kMaxIdleReads) {
            error_ = "The scanner stopped sending data.";
            return false;
        }
        have += static_cast<std::size_t>(got);
    }
    // SANE's one-bit pixels are black when set; the receiver's 0 is black.
    if (frame_.depth == 1 && !frame_.rgb) {
        for (std::size_t i = 0; i < wanted; ++i) target[i] = static_cast<std::uint8_t>(~target[i]);
    }
    rows_left_ -= rows;
    return true;
}

void SaneDevice::Cancel() {
    if (scanning_) sane_cancel(handle_);
    scanning_ = false;
    rows_left_ = 0;
}

}  // namespace pixelary::dsm
