// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PixImage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "codecs/CodecAbi.h"
#include "core/PictureFormats.h"

namespace pixelary {

namespace {

constexpr int kGreyJpegDepth = 1;
constexpr int kColourDepth = 24;
constexpr int kMaxPaletteDepth = 8;
constexpr std::uint16_t kMaxPercent = 100;

std::mutex g_sink_mutex;
TMessageSink g_sink;

// The format keys the codec modules read; each has the read entry "read_" + key.
constexpr std::array<std::string_view, 10> kReadableKeys = {"bmp", "png", "gif", "tif", "tga",
                                                            "pcx", "eps", "pcd", "dxf", "jpg"};

const char* WriteEntry(TSaveFormat format) {
    switch (format) {
        case TSaveFormat::BMP:
            return "write_bmp";
        case TSaveFormat::PNG:
            return "write_png";
        case TSaveFormat::JPG:
            return "write_jpg";
        case TSaveFormat::GIF:
            return "write_gif";
        case TSaveFormat::TIF:
            return "write_tif";
        case TSaveFormat::TGA:
            return "write_tga";
        default:
            return "write_pcx";
    }
}

int ReadDepth(TImageReadRes res) {
    switch (res) {
        case TImageReadRes::lColorVga:
        case TImageReadRes::lColor16:
            return 4;
        case TImageReadRes::lMonoChrome:
            return 1;
        case TImageReadRes::lColor256:
            return 8;
        case TImageReadRes::lColorTrue:
            return 24;
        default:
            return 0;
    }
}

// The picture lent to a write entry for the call.
PixImageView ViewOf(const TPixBitmap& bitmap) {
    PixImageView view{};
    view.info.width = bitmap.Width();
    view.info.height = bitmap.Height();
    view.info.bitCount = bitmap.BitCount();
    view.info.paletteCount = static_cast<std::uint32_t>(bitmap.Palette().size());
    std::copy(bitmap.Palette().begin(), bitmap.Palette().end(), view.info.palette);
    view.pixels = bitmap.ScanLine(0);
    view.stride = static_cast<std::int32_t>(bitmap.Stride());
    return view;
}

std::string HostErrorText(std::int16_t code) {
    switch (code) {
        case TPixImage::kErrFileMissing:
            return "The file does not exist";
        case TPixImage::kErrFileTooSmall:
            return "The file is too small to hold a picture";
        case TPixImage::kErrNoEntry:
            return "The image library does not read this file type";
        case TPixImage::kErrNoPicture:
            return "There is no picture to save";
        default:
            return std::string();
    }
}

}  // namespace

// What the callbacks of one module call need: the instance, the bitmap being filled, and the
// first exception raised on the host's side (it must not cross the module's C frames).
struct TPixImage::CallContext {
    TPixImage* self = nullptr;
    TPixBitmap* target = nullptr;
    std::exception_ptr error;

    static std::int32_t Allocate(void* host, const PixImageInfo* info, PixPixelBuffer* out) {
        auto* context = static_cast<CallContext*>(host);
        try {
            const TPixelFormat format = FormatForBits(info->bitCount);
            context->target->SetSize(info->width, info->height, format);
            const std::uint32_t count =
                std::min<std::uint32_t>(info->paletteCount, PIX_MAX_PALETTE);
            context->target->SetPalette(
                std::vector<std::uint32_t>(info->palette, info->palette + count));
            out->pixels = context->target->ScanLine(0);
            out->stride = static_cast<std::int32_t>(context->target->Stride());
            return 1;
        } catch (...) {
            if (!context->error) context->error = std::current_exception();
            return 0;
        }
    }

    static std::int32_t Target(void* host, const PixImageInfo* full, std::int32_t* width,
                               std::int32_t* height) {
        auto* context = static_cast<CallContext*>(host);
        try {
            const TTargetSizeEvent& target = context->self->target_;
            if (!target || !full || !width || !height) return 0;
            return target(full->width, full->height, *width, *height) ? 1 : 0;
        } catch (...) {
            if (!context->error) context->error = std::current_exception();
            return 0;
        }
    }

    static std::int32_t Progress(void* host, std::int32_t percent) {
        auto* context = static_cast<CallContext*>(host);
        TPixImage& self = *context->self;
        if (!self.OnProgress) return 0;
        try {
            bool cancel = false;
            const auto value =
                static_cast<std::uint16_t>(std::clamp<std::int32_t>(percent, 0, kMaxPercent));
            self.OnProgress(self, value, cancel, self.StatusText());
            return cancel ? 1 : 0;
        } catch (...) {
            if (!context->error) context->error = std::current_exception();
            return 1;
        }
    }
};

TPixImage::TPixImage()
    : main_module_(PIX_MAIN_MODULE_NAME),
      tiff_module_(PIX_TIFF_MODULE_NAME),
      dxf_module_(PIX_DXF_MODULE_NAME) {}

TPixImage::~TPixImage() = default;

void TPixImage::SetJPegSaveQuality(int quality) {
    std::lock_guard lock(mutex_);
    jpeg_quality_ =
        static_cast<std::uint8_t>(quality >= 1 && quality <= 100 ? quality : kDefaultJpegQuality);
}

void TPixImage::SetJPegSaveSmooth(int smooth) {
    std::lock_guard lock(mutex_);
    jpeg_smooth_ =
        static_cast<std::uint8_t>(smooth >= 1 && smooth <= 100 ? smooth : kDefaultJpegSmooth);
}

std::string TPixImage::StatusText() const {
    std::lock_guard lock(mutex_);
    return status_;
}

void TPixImage::SetStatus(const std::string& text) {
    std::lock_guard lock(mutex_);
    status_ = text;
}

void TPixImage::SetMessageSink(TMessageSink sink) {
    std::lock_guard lock(g_sink_mutex);
    g_sink = std::move(sink);
}

void TPixImage::ShowMessage(const std::string& text) {
    std::lock_guard lock(g_sink_mutex);
    if (g_sink) {
        g_sink(text);
    } else {
        std::cerr << text << '\n';
    }
}

bool TPixImage::IsModuleLoaded(const std::string& moduleName) const {
    std::lock_guard lock(mutex_);
    for (const TCodecModule* module : {&main_module_, &tiff_module_, &dxf_module_}) {
        if (module->Name() == moduleName) return module->IsLoaded();
    }
    return false;
}

int TPixImage::ScreenDepth(int deviceBitsPerPixel) {
    if (deviceBitsPerPixel <= 4) return 4;
    if (deviceBitsPerPixel == 8) return 8;
    if (deviceBitsPerPixel >= 16) return 24;
    return 8;
}

int TPixImage::SaveDepth(TImageWriteRes res, TSaveFormat format, int screenBitsPerPixel) {
    const int screen = ScreenDepth(screenBitsPerPixel);
    const auto row = static_cast<std::size_t>(res);
    // Columns: JPEG, TGA, GIF, the rest (BMP, PNG, TIFF, PCX); the last row is sAutoMatic.
    static constexpr int kTable[6][4] = {{24, 8, 0, 0}, {1, 8, 1, 1},   {24, 8, 4, 4},
                                         {24, 8, 8, 8}, {24, 8, 8, 24}, {1, 8, 8, 8}};
    if (res == TImageWriteRes::sAutoMatic) {
        switch (format) {
            case TSaveFormat::JPG:
                return kColourDepth;
            case TSaveFormat::TGA:
                return std::max(screen, kMaxPaletteDepth);
            case TSaveFormat::GIF:
                return std::min(screen, kMaxPaletteDepth);
            default:
                return screen;
        }
    }
    const int column = format == TSaveFormat::JPG   ? 0
                       : format == TSaveFormat::TGA ? 1
                       : format == TSaveFormat::GIF ? 2
                                                    : 3;
    return kTable[row][column];
}

int TPixImage::TiffCompressionCode(TTifCompress compress) {
    switch (compress) {
        case TTifCompress::sCCITT:
            return 2;
        case TTifCompress::sFAXCCITT3:
            return 3;
        case TTifCompress::sFAXCCITT4:
            return 4;
        case TTifCompress::sLZW:
            return 5;
        case TTifCompress::sPACKBITS:
            return 32773;
        default:
            return 1;
    }
}

std::string TPixImage::ReadEntryFor(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension.empty()) return {};
    const std::string key = NormaliseExtension(extension);
    const bool readable =
        std::find(kReadableKeys.begin(), kReadableKeys.end(), key) != kReadableKeys.end();
    return readable ? "read_" + key : std::string();
}

TCodecModule& TPixImage::ModuleFor(const std::string& entry) {
    if (entry == "read_tif" || entry == "write_tif" || entry == "tif_info") return tiff_module_;
    if (entry == "read_dxf" || entry == "dxf_info") return dxf_module_;
    return main_module_;
}

void TPixImage::SetImageName(const std::string& name) {
    LoadForSampling(name, nullptr);
}

void TPixImage::LoadForSampling(const std::string& name, TTargetSizeEvent target) {
    std::lock_guard lock(mutex_);
    image_name_ = name;
    picture_.Bitmap().Clear();
    if (name.empty()) return;
    target_ = std::move(target);
    // The target belongs to this load only, whatever way it ends.
    struct TargetReset {
        TTargetSizeEvent& target;
        ~TargetReset() { target = nullptr; }
    } reset{target_};
    Load();
}

void TPixImage::Load() {
    std::error_code error;
    const std::filesystem::path path(image_name_);
    if (!std::filesystem::is_regular_file(path, error)) return ReportError(kErrFileMissing);
    const auto size = std::filesystem::file_size(path, error);
    if (error || static_cast<std::int64_t>(size) < kMinFileSize) {
        return ReportError(kErrFileTooSmall);
    }
    const std::string entry = ReadEntryFor(image_name_);
    if (entry.empty()) return ReportError(kErrNoEntry);
    SetStatus("Reading " + image_name_);
    const bool loaded = RunRead(entry);
    SetStatus(std::string());
    if (loaded && OnFinishedLoadSave) OnFinishedLoadSave(*this);
}

bool TPixImage::RunRead(const std::string& entry) {
    TCodecModule& module = ModuleFor(entry);
    auto read = reinterpret_cast<PixReadFn>(module.Bind(ModuleFolder, entry));
    TPixBitmap result;
    CallContext context{this, &result, nullptr};
    PixReadArgs args{};
    args.structSize = sizeof args;
    args.depth = ReadDepth(ImageReadRes);
    args.page = TiffPage;
    args.host = &context;
    args.allocate = &CallContext::Allocate;
    args.progress = &CallContext::Progress;
    args.target = target_ ? &CallContext::Target : nullptr;
    const std::int32_t code = read(image_name_.c_str(), &args);
    if (context.error || code == PIX_ERR_EXCEPTION) {
        module.Unload();
        ShowMessage(kExceptionText);
        return false;
    }
    if (code <= 0) {
        ReportError(static_cast<std::int16_t>(code));
        module.Unload();
        return false;
    }
    picture_.Bitmap() = std::move(result);
    return true;
}

bool TPixImage::SaveAs(const std::string& path, TSaveFormat format) {
    std::lock_guard lock(mutex_);
    const TPixBitmap& bitmap = picture_.Bitmap();
    if (bitmap.Empty()) {
        ReportError(kErrNoPicture);
        return false;
    }
    const char* entry = WriteEntry(format);
    auto write = reinterpret_cast<PixWriteFn>(ModuleFor(entry).Bind(ModuleFolder, entry));
    const PixImageView view = ViewOf(bitmap);
    CallContext context{this, nullptr, nullptr};
    const PixWriteArgs args = WriteArgs(format, view, context);
    SetStatus("Writing " + path);
    const std::int32_t code = write(path.c_str(), &args);
    SetStatus(std::string());
    if (context.error || code == PIX_ERR_EXCEPTION) {
        ShowMessage(kExceptionText);
        return false;
    }
    if (code <= 0) {
        ReportError(static_cast<std::int16_t>(code));
        return false;
    }
    if (OnFinishedLoadSave) OnFinishedLoadSave(*this);
    return true;
}

PixWriteArgs TPixImage::WriteArgs(TSaveFormat format, const PixImageView& view,
                                  CallContext& context) const {
    PixWriteArgs args{};
    args.structSize = sizeof args;
    args.depth = SaveDepth(ImageWriteRes, format, ScreenBitsPerPixel);
    // For JPEG the depth only chooses grey or colour.
    if (format == TSaveFormat::JPG && args.depth != kGreyJpegDepth) args.depth = kColourDepth;
    args.image = &view;
    args.host = &context;
    args.progress = &CallContext::Progress;
    args.tiffCompression = TiffCompressionCode(TifSaveCompress);
    args.tiffAppend = TiffAppend ? 1 : 0;
    args.pngInterlaced = PNGInterLaced ? 1 : 0;
    args.jpegQuality = jpeg_quality_;
    args.jpegSmooth = jpeg_smooth_;
    return args;
}

std::string TPixImage::ErrorText(std::int16_t code) {
    std::string text = HostErrorText(code);
    if (!text.empty()) return text;
    try {
        auto lookup =
            reinterpret_cast<PixErrorTextFn>(main_module_.Bind(ModuleFolder, "error_text"));
        char buffer[kErrorTextSize] = {};
        if (lookup(code, buffer, sizeof buffer) > 0) return buffer;
    } catch (const EImageLibError&) {
        // No main module: fall back to the bare code.
    }
    return "Image library error " + std::to_string(code);
}

void TPixImage::ReportError(std::int16_t code) {
    const std::string text = ErrorText(code);
    if (OnImageError) {
        OnImageError(*this, code, text);
    } else {
        ShowMessage(text);
    }
}

}  // namespace pixelary
