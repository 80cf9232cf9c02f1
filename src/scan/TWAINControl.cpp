// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/TWAINControl.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

#include "imaging/CodecModule.h"
#include "scan/Twain.h"

namespace pixelary {

using namespace twain;

namespace {

TWAINControl::ErrorSink& Sink() {
    static TWAINControl::ErrorSink sink;
    return sink;
}

void CopyText(TW_STR32& target, const QString& text) {
    std::memset(target, 0, sizeof target);
    const QByteArray bytes = text.toUtf8().left(sizeof target - 2);
    std::memcpy(target, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Rows the source answers with success but without data before the transfer counts as stuck.
constexpr int kMaxEmptyStrips = 3;
// Extra requests after the last row while the source has not said it is done.
constexpr int kMaxTrailingRequests = 3;
constexpr TW_UINT32 kMemoryFlags = TWMF_APPOWNS | TWMF_POINTER;

}  // namespace

struct TWAINControl::Connection {
    QPointer<QWidget> parent;
    void* library = nullptr;
    DSMENTRYPROC entry = nullptr;
    bool managerOpen = false;
    bool sourceOpen = false;
    bool sourceEnabled = false;
    TW_IDENTITY application{};
    TW_IDENTITY source{};
};

void TWAINControl::SetErrorSink(ErrorSink sink) {
    Sink() = std::move(sink);
}

TWAINControl::TWAINControl(QWidget* parent, const QString& product, const QString& maker)
    : connection_(std::make_unique<Connection>()) {
    connection_->parent = parent;
    TW_IDENTITY& app = connection_->application;
    app.Id = 0;
    app.Version.MajorNum = 1;
    app.Version.MinorNum = 0;
    app.Version.Language = TWLG_USA;
    app.Version.Country = TWCY_USA;
    CopyText(app.Version.Info, product);
    app.ProtocolMajor = TWON_PROTOCOLMAJOR;
    app.ProtocolMinor = TWON_PROTOCOLMINOR;
    app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(app.Manufacturer, maker);
    CopyText(app.ProductFamily, product);
    CopyText(app.ProductName, product);
}

TWAINControl::~TWAINControl() {
    CloseManager();
}

bool TWAINControl::IsLibraryLoaded() const {
    return connection_->library != nullptr;
}
bool TWAINControl::IsManagerOpen() const {
    return connection_->managerOpen;
}
bool TWAINControl::IsSourceOpen() const {
    return connection_->sourceOpen;
}
bool TWAINControl::IsSourceEnabled() const {
    return connection_->sourceEnabled;
}

void TWAINControl::ShowError(const char* text) const {
    const QString caption = QString::fromUtf8(connection_->application.ProductFamily);
    const QString message = QCoreApplication::translate("TWAINControl", text);
    if (Sink()) {
        Sink()(caption, message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, message, QMessageBox::Ok, connection_->parent);
    box.exec();
}

std::uint16_t TWAINControl::Call(bool toSource, std::uint32_t group, std::uint16_t dat,
                                 std::uint16_t msg, void* data) {
    return connection_->entry(&connection_->application, toSource ? &connection_->source : nullptr,
                              group, dat, msg, data);
}

// ---- manager library ---------------------------------------------------------------------------

bool TWAINControl::LoadLibrary() {
    std::vector<std::string> folders = ManagerFolders;
    if (folders.empty()) {
        folders.push_back(TCodecModule::ProgramFolder());
        for (const std::string& folder : TCodecModule::SystemFolders()) folders.push_back(folder);
    }
    // The manager must be present in one of the module folders; nothing else is tried.
    std::string path;
    for (const std::string& folder : folders) {
        std::error_code error;
        const std::filesystem::path candidate = std::filesystem::path(folder) / ManagerName;
        if (!folder.empty() && std::filesystem::is_regular_file(candidate, error)) {
            path = candidate.string();
            break;
        }
    }
    if (path.empty()) return false;
    // The manager shows windows and registers event types: keep its code mapped once loaded.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library) return false;
    auto entry = reinterpret_cast<DSMENTRYPROC>(dlsym(library, kEntryName));
    if (!entry) {
        dlclose(library);
        return false;
    }
    connection_->library = library;
    connection_->entry = entry;
    return true;
}

void TWAINControl::FreeLibrary() {
    if (!connection_->library) return;
    dlclose(connection_->library);
    connection_->library = nullptr;
    connection_->entry = nullptr;
}

bool TWAINControl::OpenManager() {
    if (connection_->managerOpen) return true;
    if (!connection_->library && !LoadLibrary()) return false;
    void* window = connection_->parent.data();
    if (Call(false, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window) != TWRC_SUCCESS) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Open DSM error"));
        return false;
    }
    connection_->managerOpen = true;
    return true;
}

void TWAINControl::CloseManager() {
    if (connection_->managerOpen) {
        CloseSource();
        void* window = connection_->parent.data();
        Call(false, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
        connection_->managerOpen = false;
    }
    FreeLibrary();
}

// ---- source ------------------------------------------------------------------------------------

bool TWAINControl::OpenSource() {
    if (!connection_->managerOpen) return false;
    if (connection_->sourceOpen) return true;
    if (Call(false, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &connection_->source) != TWRC_SUCCESS) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Open DS error"));
        return false;
    }
    connection_->sourceOpen = true;
    return true;
}

void TWAINControl::CloseSource() {
    if (!connection_->sourceOpen) return;
    DisableSource();
    if (Call(false, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &connection_->source) != TWRC_SUCCESS) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Close DS error"));
        return;
    }
    connection_->sourceOpen = false;
}

bool TWAINControl::EnableSource(bool showUI) {
    if (!connection_->sourceOpen) return false;
    if (connection_->sourceEnabled) return true;
    TW_USERINTERFACE ui{};
    ui.ShowUI = showUI ? 1 : 0;
    ui.ModalUI = 0;
    ui.hParent = connection_->parent.data();
    if (Call(true, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Enable DS error"));
        return false;
    }
    connection_->sourceEnabled = true;
    return true;
}

void TWAINControl::DisableSource() {
    if (!connection_->sourceEnabled) return;
    TW_USERINTERFACE ui{};
    ui.ShowUI = 0;
    ui.hParent = connection_->parent.data();
    Call(true, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    connection_->sourceEnabled = false;
}

// ---- the caller's operations -------------------------------------------------------------------

void TWAINControl::SelectSource() {
    if (!OpenManager()) return;
    TW_IDENTITY chosen{};
    Call(false, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen);
    if (Call(false, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen) == TWRC_SUCCESS) {
        connection_->source = chosen;
    }
    CloseManager();
}

bool TWAINControl::Acquire(bool showUI, TwainCreateImage createImage, TwainStoreRow storeRow,
                           TwainDiscardImage discardImage) {
    if (!createImage || !storeRow || !discardImage) return false;
    create_image_ = std::move(createImage);
    store_row_ = std::move(storeRow);
    discard_image_ = std::move(discardImage);
    if (!OpenManager()) return false;
    // The manager then opens its default source, which is the user's last choice.
    connection_->source.Id = 0;
    std::memset(connection_->source.ProductName, 0, sizeof connection_->source.ProductName);
    if (OpenSource()) {
        DisableSource();
        if (EnableSource(showUI)) return true;
        CloseSource();
    }
    CloseManager();
    return false;
}

void TWAINControl::Close() {
    CloseManager();
}

int TWAINControl::ProcessMessage(QEvent* message) {
    if (!connection_->managerOpen || !connection_->sourceOpen) return kTwainNotEvent;
    TW_EVENT event{};
    event.pEvent = message;
    event.TWMessage = MSG_NULL;
    if (Call(true, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) != TWRC_DSEVENT) {
        return kTwainNotEvent;
    }
    switch (event.TWMessage) {
        case MSG_XFERREADY: {
            if (busy_) return kTwainNotEvent;
            busy_ = true;
            const int result = Transfer();
            busy_ = false;
            return result;
        }
        case MSG_CLOSEDSREQ:
            CloseManager();
            return kTwainSourceClosed;
        default:
            return kTwainNotEvent;
    }
}

// ---- transfer ----------------------------------------------------------------------------------

int TWAINControl::Transfer() {
    TW_IMAGEINFO info{};
    // A source that cannot describe its image has nothing to transfer: count it as a failure,
    // so the caller closes the conversation instead of waiting for an image that never comes.
    if (Call(true, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) {
        return kTwainXferFailed;
    }
    int result = MemoryTransfer(&info);
    TW_PENDINGXFERS pending{};
    if (Call(true, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS) {
        result = kTwainXferFailed;
    }
    return result;
}

namespace {

// A transfer buffer whose first part carries the palette handed to the create-image callback.
struct Buffer {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::uint32_t size = 0;
};

bool FillPalette(std::int16_t pixelType, std::uint8_t* palette, const TW_PALETTE8* source,
                 int& colourModel) {
    switch (pixelType) {
        case TWPT_BW:
            std::memset(palette, 0, 8);
            std::memset(palette + 4, 0xFF, 3);
            colourModel = kTwainIndexed;
            return true;
        case TWPT_GRAY:
            for (int i = 0; i < 256; ++i) {
                std::uint8_t* entry = palette + i * 4;
                entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i);
                entry[3] = 0;
            }
            colourModel = kTwainIndexed;
            return true;
        case TWPT_PALETTE:
            if (!source) return false;
            for (int i = 0; i < 256; ++i) {
                const TW_ELEMENT8& colour = source->Colors[i];
                std::uint8_t* entry = palette + colour.Index * 4;
                entry[0] = colour.Channel3;
                entry[1] = colour.Channel2;
                entry[2] = colour.Channel1;
                entry[3] = 0;
            }
            colourModel = kTwainIndexed;
            return true;
        case TWPT_RGB:
            colourModel = kTwainRgb;
            return true;
        case TWPT_CMYK:
            colourModel = kTwainCmyk;
            return true;
        default:
            return false;
    }
}

}  // namespace

int TWAINControl::MemoryTransfer(const void* imageInfo) {
    const TW_IMAGEINFO& info = *static_cast<const TW_IMAGEINFO*>(imageInfo);
    Buffer buffer;
    const auto fail = [&] {
        buffer.bytes.reset();
        if (discard_image_) discard_image_();
        return kTwainXferFailed;
    };

    if (info.SamplesPerPixel <= 0 || info.BitsPerPixel / info.SamplesPerPixel > 8) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Mode not available"));
        return fail();
    }
    TW_SETUPMEMXFER setup{};
    if (Call(true, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) return fail();
    buffer.size = setup.MaxBufSize == 0 ? kDefaultBufferSize
                                        : std::min<std::uint32_t>(setup.MaxBufSize, kMaxBufferSize);
    buffer.bytes.reset(new (std::nothrow) std::uint8_t[buffer.size]());
    if (!buffer.bytes) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Out of memory"));
        return fail();
    }

    TW_PALETTE8 palette8{};
    const bool hasPalette = info.PixelType == TWPT_PALETTE &&
                            Call(true, DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette8) == TWRC_SUCCESS;
    int colourModel = 0;
    if (!FillPalette(info.PixelType, buffer.bytes.get(), hasPalette ? &palette8 : nullptr,
                     colourModel)) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Color mode not available"));
        return fail();
    }
    if (info.ImageWidth <= 0 || info.ImageLength <= 0 || info.BitsPerPixel <= 0) return fail();
    if (create_image_(info.ImageWidth, info.ImageLength, info.BitsPerPixel, colourModel,
                      info.XResolution.Whole, info.YResolution.Whole, buffer.bytes.get()) != 1) {
        ShowError(QT_TRANSLATE_NOOP("TWAINControl", "Create image fail"));
        return fail();
    }

    const std::uint64_t rowBits = static_cast<std::uint64_t>(info.ImageWidth) * info.BitsPerPixel;
    const std::uint64_t rowLength = (rowBits + 7) / 8;
    const std::uint64_t bytesPerRow = (rowLength + 3) / 4 * 4;
    const std::uint64_t rowsPerBuffer = buffer.size / bytesPerRow;
    // A row wider than the largest buffer cannot be carried.
    if (rowsPerBuffer == 0) return fail();
    std::uint64_t preferredRows = setup.Preferred / bytesPerRow;
    if (preferredRows == 0 || preferredRows > rowsPerBuffer) preferredRows = rowsPerBuffer;

    TW_IMAGEMEMXFER xfer{};
    xfer.Compression = TWCP_NONE;
    xfer.BytesPerRow = static_cast<TW_UINT32>(bytesPerRow);
    xfer.Columns = static_cast<TW_UINT32>(info.ImageWidth);
    xfer.XOffset = 0;
    xfer.Memory.Flags = kMemoryFlags;
    xfer.Memory.Length = buffer.size;
    xfer.Memory.TheMem = buffer.bytes.get();

    const bool rgb = info.PixelType == TWPT_RGB && info.BitsPerPixel == 24;
    std::uint64_t rowsLeft = static_cast<std::uint64_t>(info.ImageLength);
    std::uint32_t rowCounter = 0;
    bool goOn = true;
    int emptyStrips = 0;
    std::uint16_t last = TWRC_SUCCESS;
    while (rowsLeft > 0) {
        const std::uint64_t asked = std::min(preferredRows, rowsLeft);
        xfer.Rows = static_cast<TW_UINT32>(asked);
        xfer.YOffset = rowCounter;
        xfer.BytesWritten = static_cast<TW_UINT32>(asked * bytesPerRow);
        last = Call(true, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        if (last != TWRC_SUCCESS && last != TWRC_XFERDONE) return fail();
        const std::uint64_t sourceStride = xfer.BytesPerRow;
        std::uint64_t rows = std::min<std::uint64_t>({xfer.Rows, rowsPerBuffer, rowsLeft});
        // The source's rows must hold a whole row each and stay inside the buffer.
        if (rows > 0 &&
            (sourceStride < rowLength || (rows - 1) * sourceStride + rowLength > buffer.size)) {
            return fail();
        }
        std::uint8_t* row = buffer.bytes.get();
        for (std::uint64_t n = 0; n < rows && goOn; ++n) {
            if (rgb) {
                for (std::int32_t x = 0; x < info.ImageWidth; ++x)
                    std::swap(row[x * 3], row[x * 3 + 2]);
            }
            goOn = store_row_(static_cast<int>(rowCounter), row);
            ++rowCounter;
            --rowsLeft;
            row += sourceStride;
        }
        if (last == TWRC_XFERDONE) rowsLeft = 0;
        emptyStrips = rows == 0 ? emptyStrips + 1 : 0;
        if (emptyStrips >= kMaxEmptyStrips) return fail();
    }
    for (int extra = 0; extra < kMaxTrailingRequests && last == TWRC_SUCCESS; ++extra) {
        xfer.Rows = static_cast<TW_UINT32>(preferredRows);
        xfer.YOffset = rowCounter;
        xfer.BytesWritten = static_cast<TW_UINT32>(preferredRows * bytesPerRow);
        last = Call(true, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        rowCounter += static_cast<std::uint32_t>(preferredRows);
    }
    return kTwainImageDone;
}

}  // namespace pixelary
