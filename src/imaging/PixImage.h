// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "codecs/CodecAbi.h"
#include "imaging/CodecModule.h"
#include "imaging/PixBitmap.h"

namespace pixelary {

// Colour depth asked of a decoder.
enum class TImageReadRes { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };
// Colour depth asked of an encoder; see TPixImage::SaveDepth.
enum class TImageWriteRes {
    sColorVga,
    sMonoChrome,
    sColor16,
    sColor256,
    sColorTrue,
    sJpegGray,
    sAutoMatic
};
// TIFF compression used when saving.
enum class TTifCompress { sNONE, sCCITT, sFAXCCITT3, sFAXCCITT4, sLZW, sPACKBITS };
// The formats the component saves.
enum class TSaveFormat { BMP, PNG, JPG, GIF, TIF, TGA, PCX };

class TPixImage;
using TImageErrorEvent =
    std::function<void(TPixImage& sender, std::int16_t code, const std::string& text)>;
using TImageProgressEvent = std::function<void(TPixImage& sender, std::uint16_t percent,
                                               bool& cancel, const std::string& message)>;
using TNotifyEvent = std::function<void(TPixImage& sender)>;
// Given a picture's full size, the size it will be sampled to (nearest neighbour): fills width and
// height and returns true, or returns false to have the picture at full size.
using TTargetSizeEvent = std::function<bool(std::int32_t fullWidth, std::int32_t fullHeight,
                                            std::int32_t& width, std::int32_t& height)>;
// Shows a message to the user (a message box in the program).
using TMessageSink = std::function<void(const std::string& text)>;

// The image component: holds one picture and loads or saves it by file name through the codec
// modules, which it binds at run time. Every operation runs under the instance's own lock, so
// an instance may be used from several threads; a caller that must keep a loaded picture from
// being replaced holds its own lock around load and copy.
class TPixImage {
  public:
    // Files shorter than this are refused before any module is asked.
    static constexpr std::int64_t kMinFileSize = 50;
    static constexpr int kDefaultJpegQuality = 25;
    static constexpr int kDefaultJpegSmooth = 5;
    static constexpr int kErrorTextSize = 256;

    // Failures found by the component itself, below the modules' codes.
    static constexpr std::int16_t kErrFileMissing = -101;
    static constexpr std::int16_t kErrFileTooSmall = -102;
    static constexpr std::int16_t kErrNoEntry = -103;
    static constexpr std::int16_t kErrNoPicture = -104;

    static constexpr const char* kExceptionText =
        "An exception error occured in the image library. We recommend to exit the application "
        "and to restart it by clicking its icon!";

    TPixImage();
    ~TPixImage();
    TPixImage(const TPixImage&) = delete;
    TPixImage& operator=(const TPixImage&) = delete;

    // Setting a name loads the file into Picture (an empty name just drops the picture). A failed
    // load leaves Picture empty and reports to OnImageError; a module that cannot be bound
    // raises EImageLibError.
    const std::string& ImageName() const { return image_name_; }
    void SetImageName(const std::string& name);
    // Loads like SetImageName, for a picture that will only be sampled down: decoders that can
    // may deliver a smaller Picture that serves the sampling to the size target answers (a
    // reduced decode, or only the sampled rows). A null target loads at full size.
    void LoadForSampling(const std::string& name, TTargetSizeEvent target);

    TPixPicture& Picture() { return picture_; }

    TImageReadRes ImageReadRes = TImageReadRes::lAutoMatic;
    TImageWriteRes ImageWriteRes = TImageWriteRes::sAutoMatic;
    TTifCompress TifSaveCompress = TTifCompress::sNONE;
    int TiffPage = 0;
    bool TiffAppend = false;
    bool PNGInterLaced = false;
    bool Stretch = false;
    bool Center = false;

    std::uint8_t JPegSaveQuality() const { return jpeg_quality_; }
    // Values outside 1..100 store 25.
    void SetJPegSaveQuality(int quality);
    std::uint8_t JPegSaveSmooth() const { return jpeg_smooth_; }
    // Values outside 1..100 store 5.
    void SetJPegSaveSmooth(int smooth);

    TImageErrorEvent OnImageError;
    TImageProgressEvent OnProgress;
    TNotifyEvent OnFinishedLoadSave;

    // "Reading <file>" while loading, "Writing <file>" while saving, empty otherwise.
    std::string StatusText() const;

    // Folder searched first for the codec modules; empty for none.
    std::string ModuleFolder;
    // Bits per pixel of the display, for the automatic save depth.
    int ScreenBitsPerPixel = 24;

    // One save per format; false on failure (reported to OnImageError).
    bool SaveAsBMP(const std::string& path) { return SaveAs(path, TSaveFormat::BMP); }
    bool SaveAsPNG(const std::string& path) { return SaveAs(path, TSaveFormat::PNG); }
    bool SaveAsJPG(const std::string& path) { return SaveAs(path, TSaveFormat::JPG); }
    bool SaveAsGIF(const std::string& path) { return SaveAs(path, TSaveFormat::GIF); }
    bool SaveAsTIF(const std::string& path) { return SaveAs(path, TSaveFormat::TIF); }
    bool SaveAsTGA(const std::string& path) { return SaveAs(path, TSaveFormat::TGA); }
    bool SaveAsPCX(const std::string& path) { return SaveAs(path, TSaveFormat::PCX); }
    bool SaveAs(const std::string& path, TSaveFormat format);

    // The depth handed to a write entry for a write resolution, format and display depth.
    static int SaveDepth(TImageWriteRes res, TSaveFormat format, int screenBitsPerPixel);
    // The display's depth as the save table counts it: 4, 8 or 24.
    static int ScreenDepth(int deviceBitsPerPixel);
    // The TIFF compression code handed to "write_tif".
    static int TiffCompressionCode(TTifCompress compress);
    // The read entry for a file name's extension, or empty when none is routed.
    static std::string ReadEntryFor(const std::string& path);

    // Process-wide display of messages for instances without an OnImageError handler and of
    // the exception text; by default they go to the standard error stream.
    static void SetMessageSink(TMessageSink sink);

    // Whether a codec module is currently loaded by this instance (PIX_*_MODULE_NAME).
    bool IsModuleLoaded(const std::string& moduleName) const;

  private:
    struct CallContext;

    void Load();
    bool RunRead(const std::string& entry);
    PixWriteArgs WriteArgs(TSaveFormat format, const PixImageView& view,
                           CallContext& context) const;
    void ReportError(std::int16_t code);
    std::string ErrorText(std::int16_t code);
    TCodecModule& ModuleFor(const std::string& entry);
    static void ShowMessage(const std::string& text);
    void SetStatus(const std::string& text);

    mutable std::recursive_mutex mutex_;
    std::string image_name_;
    std::string status_;
    TTargetSizeEvent target_;  // set only while LoadForSampling runs
    TPixPicture picture_;
    std::uint8_t jpeg_quality_ = kDefaultJpegQuality;
    std::uint8_t jpeg_smooth_ = kDefaultJpegSmooth;
    TCodecModule main_module_;
    TCodecModule tiff_module_;
    TCodecModule dxf_module_;
};

}  // namespace pixelary
