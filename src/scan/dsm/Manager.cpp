// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own data source manager: every SANE device is a TWAIN source. The program enters
// it only through DSM_Entry; notifications reach the program's window as posted events, which the
// program hands back through DAT_EVENT / MSG_PROCESSEVENT.
#include <sane/sane.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSettings>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "scan/Twain.h"
#include "scan/dsm/SaneDevice.h"
#include "scan/dsm/SourceWindow.h"

using namespace twain;

namespace pixelary::dsm {

namespace {

constexpr TW_UINT32 kMaxBuffer = 65536;
constexpr TW_UINT32 kPreferredBuffer = 32768;
constexpr TW_UINT16 TWPA_RGB = 0;
constexpr TW_UINT16 TWPA_GRAY = 1;
constexpr const char* kDefaultKey = "TWAIN default source";

// A source's notification to the program, carried by a posted event.
class NotifyEvent : public QEvent {
  public:
    explicit NotifyEvent(TW_UINT16 message) : QEvent(Type()), message_(message) {}
    TW_UINT16 Message() const { return message_; }
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

  private:
    TW_UINT16 message_;
};

struct Source {
    std::string saneName;
    TW_IDENTITY identity{};
};

// The manager's one conversation (one application at a time).
struct State {
    bool open = false;
    QPointer<QWidget> parent;
    std::vector<Source> sources;
    int openIndex = -1;
    std::unique_ptr<SaneDevice> device;
    // Owned here, but a child of the program's window, which may delete it first.
    QPointer<SourceWindow> window;
    bool enabled = false;
    bool imagePending = false;
};

State& Manager() {
    static State state;
    return state;
}

void CopyText(TW_STR32& target, const char* text) {
    std::memset(target, 0, sizeof target);
    std::strncpy(target, text ? text : "", sizeof target - 2);
}

QSettings Store() {
    return QSettings(QStringLiteral("Norvanti"), QStringLiteral("PixTwain"));
}

void FindSources(State& state) {
    state.sources.clear();
    const SANE_Device** devices = nullptr;
    if (sane_get_devices(&devices, SANE_TRUE) != SANE_STATUS_GOOD || !devices) return;
    for (int i = 0; devices[i]; ++i) {
        Source source;
        source.saneName = devices[i]->name ? devices[i]->name : "";
        TW_IDENTITY& id = source.identity;
        id.Id = static_cast<TW_UINT32>(i + 1);
        id.Version.MajorNum = 1;
        id.Version.Language = TWLG_USA;
        id.Version.Country = TWCY_USA;
        CopyText(id.Version.Info, devices[i]->type);
        id.ProtocolMajor = TWON_PROTOCOLMAJOR;
        id.ProtocolMinor = TWON_PROTOCOLMINOR;
        id.SupportedGroups = DG_CONTROL | DG_IMAGE;
        CopyText(id.Manufacturer, devices[i]->vendor);
        CopyText(id.ProductFamily, devices[i]->model);
        CopyText(id.ProductName, source.saneName.c_str());
        state.sources.push_back(std::move(source));
    }
}

int DefaultIndex(const State& state) {
    const std::string stored = Store().value(QLatin1String(kDefaultKey)).toString().toStdString();
    for (std::size_t i = 0; i < state.sources.size(); ++i) {
        if (state.sources[i].saneName == stored) return static_cast<int>(i);
    }
    return state.sources.empty() ? -1 : 0;
}

// The source an identity names: by Id, else by product name, else the default.
int IndexOf(const State& state, const TW_IDENTITY& identity) {
    for (std::size_t i = 0; i < state.sources.size(); ++i) {
        if (identity.Id != 0 && state.sources[i].identity.Id == identity.Id)
            return static_cast<int>(i);
    }
    if (identity.ProductName[0]) {
        for (std::size_t i = 0; i < state.sources.size(); ++i) {
            if (std::strncmp(state.sources[i].identity.ProductName, identity.ProductName,
                             sizeof identity.ProductName) == 0) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    return DefaultIndex(state);
}

void Notify(State& state, TW_UINT16 message) {
    if (state.parent) QCoreApplication::postEvent(state.parent, new NotifyEvent(message));
}

void StartScan(State& state) {
    if (!state.device || state.imagePending) return;
    if (state.window) {
        if (!state.device->Apply(state.window->Settings())) {
            state.window->ShowStatus(QString::fromStdString(state.device->Error()));
            return;
        }
    }
    if (!state.device->Start()) {
        if (state.window) state.window->ShowStatus(QString::fromStdString(state.device->Error()));
        return;
    }
    state.imagePending = true;
    if (state.window) state.window->SetBusy(true);
    Notify(state, MSG_XFERREADY);
}

void EndImage(State& state) {
    state.imagePending = false;
    if (state.device) state.device->Cancel();
    if (state.window) {
        state.window->SetBusy(false);
        state.window->ShowStatus(QString());
    }
}

// ---- control group -----------------------------------------------------------------------------

TW_UINT16 OpenManager(State& state, TW_MEMREF data) {
    if (state.open) return TWRC_FAILURE;
    SANE_Int version = 0;
    if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return TWRC_FAILURE;
    state.open = true;
    state.parent = data ? static_cast<QWidget*>(*static_cast<void**>(data)) : nullptr;
    FindSources(state);
    return TWRC_SUCCESS;
}

void DestroyWindow(State& state) {
    delete state.window.data();
    state.window = nullptr;
}

void CloseSourceState(State& state) {
    DestroyWindow(state);
    state.enabled = false;
    state.imagePending = false;
    state.device.reset();
    state.openIndex = -1;
}

TW_UINT16 CloseManager(State& state) {
    if (!state.open) return TWRC_FAILURE;
    CloseSourceState(state);
    state.sources.clear();
    sane_exit();
    state.open = false;
    state.parent = nullptr;
    return TWRC_SUCCESS;
}

TW_UINT16 Identity(State& state, TW_UINT16 msg, TW_IDENTITY* identity) {
    if (!identity) return TWRC_FAILURE;
    static std::size_t next = 0;
    switch (msg) {
        case MSG_GETDEFAULT: {
            const int index = DefaultIndex(state);
            if (index < 0) return TWRC_FAILURE;
            *identity = state.sources[static_cast<std::size_t>(index)].identity;
            return TWRC_SUCCESS;
        }
        case MSG_GETFIRST:
        case MSG_GETNEXT:
            if (msg == MSG_GETFIRST) next = 0;
            if (next >= state.sources.size()) return TWRC_ENDOFLIST;
            *identity = state.sources[next++].identity;
            return TWRC_SUCCESS;
        case MSG_USERSELECT: {
            QStringList names;
            for (const Source& source : state.sources) {
                names << QStringLiteral("%1 %2 (%3)")
                             .arg(QString::fromUtf8(source.identity.Manufacturer),
                                  QString::fromUtf8(source.identity.ProductFamily),
                                  QString::fromStdString(source.saneName));
            }
            const int chosen = ChooseSource(state.parent, names, IndexOf(state, *identity));
            if (chosen < 0) return TWRC_CANCEL;
            const Source& source = state.sources[static_cast<std::size_t>(chosen)];
            Store().setValue(QLatin1String(kDefaultKey), QString::fromStdString(source.saneName));
            *identity = source.identity;
            return TWRC_SUCCESS;
        }
        case MSG_OPENDS: {
            if (state.device) return TWRC_FAILURE;
            const int index = IndexOf(state, *identity);
            if (index < 0) return TWRC_FAILURE;
            SANE_Handle handle = nullptr;
            const Source& source = state.sources[static_cast<std::size_t>(index)];
            if (sane_open(source.saneName.c_str(), &handle) != SANE_STATUS_GOOD || !handle) {
                return TWRC_FAILURE;
            }
            state.device = std::make_unique<SaneDevice>(handle);
            state.openIndex = index;
            *identity = source.identity;
            return TWRC_SUCCESS;
        }
        case MSG_CLOSEDS:
            if (!state.device) return TWRC_FAILURE;
            CloseSourceState(state);
            return TWRC_SUCCESS;
        default:
            return TWRC_FAILURE;
    }
}

TW_UINT16 UserInterface(State& state, TW_UINT16 msg, TW_USERINTERFACE* ui) {
    if (!ui || !state.device) return TWRC_FAILURE;
    if (msg == MSG_DISABLEDS) {
        if (!state.enabled) return TWRC_FAILURE;
        EndImage(state);
        DestroyWindow(state);
        state.enabled = false;
        return TWRC_SUCCESS;
    }
    if (msg != MSG_ENABLEDS || state.enabled) return TWRC_FAILURE;
    state.enabled = true;
    if (!ui->ShowUI) {
        StartScan(state);
        return TWRC_SUCCESS;
    }
    const Source& source = state.sources[static_cast<std::size_t>(state.openIndex)];
    const QString title =
        QStringLiteral("%1 %2").arg(QString::fromUtf8(source.identity.Manufacturer),
                                    QString::fromUtf8(source.identity.ProductFamily));
    auto* parent = static_cast<QWidget*>(ui->hParent);
    state.window = new SourceWindow(parent, title, state.device->Limits());
    state.window->OnScan = [&state] { StartScan(state); };
    state.window->OnClose = [&state] { Notify(state, MSG_CLOSEDSREQ); };
    state.window->show();
    state.window->raise();
    return TWRC_SUCCESS;
}

TW_UINT16 ProcessEvent(TW_EVENT* event) {
    if (!event || !event->pEvent) return TWRC_NOTDSEVENT;
    auto* message = static_cast<QEvent*>(event->pEvent);
    if (message->type() != NotifyEvent::Type()) return TWRC_NOTDSEVENT;
    event->TWMessage = static_cast<NotifyEvent*>(message)->Message();
    return TWRC_DSEVENT;
}

TW_UINT16 PendingTransfers(State& state, TW_UINT16 msg, TW_PENDINGXFERS* pending) {
    if (!pending) return TWRC_FAILURE;
    switch (msg) {
        case MSG_GET:
            pending->Count = state.imagePending ? 1 : 0;
            return TWRC_SUCCESS;
        case MSG_ENDXFER:
        case MSG_RESET:
            EndImage(state);
            pending->Count = 0;
            return TWRC_SUCCESS;
        default:
            return TWRC_FAILURE;
    }
}

// ---- image group -------------------------------------------------------------------------------

TW_UINT16 ImageInfo(State& state, TW_IMAGEINFO* info) {
    if (!info || !state.imagePending) return TWRC_FAILURE;
    const FrameInfo& frame = state.device->Frame();
    *info = TW_IMAGEINFO{};
    info->XResolution.Whole = static_cast<TW_INT16>(std::clamp(frame.resolution, 0, 32767));
    info->YResolution = info->XResolution;
    info->ImageWidth = frame.width;
    info->ImageLength = frame.height;
    info->SamplesPerPixel = frame.rgb ? 3 : 1;
    for (int i = 0; i < info->SamplesPerPixel; ++i)
        info->BitsPerSample[i] = static_cast<TW_INT16>(frame.depth);
    info->BitsPerPixel = static_cast<TW_INT16>(frame.depth * info->SamplesPerPixel);
    info->Planar = 0;
    info->PixelType = frame.rgb ? TWPT_RGB : frame.depth == 1 ? TWPT_BW : TWPT_GRAY;
    info->Compression = TWCP_NONE;
    return TWRC_SUCCESS;
}

TW_UINT16 SetupMemory(State& state, TW_SETUPMEMXFER* setup) {
    if (!setup || !state.device) return TWRC_FAILURE;
    const TW_UINT32 line = static_cast<TW_UINT32>(std::max(state.device->Frame().bytesPerLine, 1));
    setup->MinBufSize = line;
    setup->MaxBufSize = std::max(kMaxBuffer, line);
    setup->Preferred = std::max(kPreferredBuffer, line);
    return TWRC_SUCCESS;
}

TW_UINT16 MemoryStrip(State& state, TW_IMAGEMEMXFER* xfer) {
    if (!xfer || !state.imagePending) return TWRC_FAILURE;
    SaneDevice& device = *state.device;
    const FrameInfo& frame = device.Frame();
    const auto line = static_cast<TW_UINT32>(frame.bytesPerLine);
    if ((xfer->Memory.Flags & TWMF_POINTER) == 0 || !xfer->Memory.TheMem ||
        xfer->Memory.Length < line) {
        return TWRC_FAILURE;
    }
    const int rows = std::min(static_cast<int>(xfer->Memory.Length / line), device.RowsLeft());
    const int first = frame.height - device.RowsLeft();
    xfer->Compression = TWCP_NONE;
    xfer->BytesPerRow = line;
    xfer->Columns = static_cast<TW_UINT32>(frame.width);
    xfer->XOffset = 0;
    xfer->YOffset = static_cast<TW_UINT32>(first);
    xfer->Rows = 0;
    xfer->BytesWritten = 0;
    if (rows > 0 && !device.ReadRows(static_cast<std::uint8_t*>(xfer->Memory.TheMem), rows)) {
        if (state.window) state.window->ShowStatus(QString::fromStdString(device.Error()));
        return TWRC_FAILURE;
    }
    xfer->Rows = static_cast<TW_UINT32>(rows);
    xfer->BytesWritten = static_cast<TW_UINT32>(rows) * line;
    return device.RowsLeft() == 0 ? TWRC_XFERDONE : TWRC_SUCCESS;
}

TW_UINT16 Palette(State& state, TW_PALETTE8* palette) {
    if (!palette || !state.imagePending || state.device->Frame().rgb) return TWRC_FAILURE;
    const bool bw = state.device->Frame().depth == 1;
    *palette = TW_PALETTE8{};
    palette->NumColors = bw ? 2 : 256;
    palette->PaletteType = bw ? TWPA_RGB : TWPA_GRAY;
    for (int i = 0; i < palette->NumColors; ++i) {
        const auto level = static_cast<TW_UINT8>(bw ? i * 255 : i);
        palette->Colors[i] = {static_cast<TW_UINT8>(i), level, level, level};
    }
    return TWRC_SUCCESS;
}

TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 group, TW_UINT16 dat,
                TW_UINT16 msg, TW_MEMREF data) {
    State& state = Manager();
    if (!origin) return TWRC_FAILURE;
    if (group == DG_CONTROL && dat == DAT_PARENT) {
        if (msg == MSG_OPENDSM) return OpenManager(state, data);
        if (msg == MSG_CLOSEDSM) return CloseManager(state);
        return TWRC_FAILURE;
    }
    if (!state.open) return TWRC_FAILURE;
    if (group == DG_CONTROL && dat == DAT_IDENTITY) {
        return Identity(state, msg, static_cast<TW_IDENTITY*>(data));
    }
    // Everything else is addressed to the open source.
    if (!dest || !state.device) return TWRC_FAILURE;
    if (group == DG_CONTROL) {
        switch (dat) {
            case DAT_USERINTERFACE:
                return UserInterface(state, msg, static_cast<TW_USERINTERFACE*>(data));
            case DAT_EVENT:
                return msg == MSG_PROCESSEVENT ? ProcessEvent(static_cast<TW_EVENT*>(data))
                                               : TWRC_FAILURE;
            case DAT_PENDINGXFERS:
                return PendingTransfers(state, msg, static_cast<TW_PENDINGXFERS*>(data));
            case DAT_SETUPMEMXFER:
                return msg == MSG_GET ? SetupMemory(state, static_cast<TW_SETUPMEMXFER*>(data))
                                      : TWRC_FAILURE;
            default:
                return TWRC_FAILURE;
        }
    }
    if (group == DG_IMAGE && msg == MSG_GET) {
        switch (dat) {
            case DAT_IMAGEINFO:
                return ImageInfo(state, static_cast<TW_IMAGEINFO*>(data));
            case DAT_IMAGEMEMXFER:
                return MemoryStrip(state, static_cast<TW_IMAGEMEMXFER*>(data));
            case DAT_PALETTE8:
                return Palette(state, static_cast<TW_PALETTE8*>(data));
            default:
                return TWRC_FAILURE;
        }
    }
    return TWRC_FAILURE;
}

}  // namespace

}  // namespace pixelary::dsm

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* origin,
                                                                      TW_IDENTITY* dest,
                                                                      TW_UINT32 group,
                                                                      TW_UINT16 dat, TW_UINT16 msg,
                                                                      TW_MEMREF data) {
    return pixelary::dsm::Entry(origin, dest, group, dat, msg, data);
}
