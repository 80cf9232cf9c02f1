// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QEvent;
class QWidget;

namespace pixelary {

// Results of TWAINControl::ProcessMessage.
enum TwainResult : int {
    kTwainNotEvent = 0,      // not a TWAIN event: the caller handles the message as usual
    kTwainImageDone = 1,     // an image was transferred
    kTwainSourceClosed = 2,  // the source asked to be closed; manager and source are closed
    kTwainXferFailed = 3,    // the transfer failed
};

// Colour models handed to the create-image callback.
enum TwainColourModel : int { kTwainIndexed = 0, kTwainRgb = 1, kTwainCmyk = 2 };

// Asks the caller for an image of the given size and depth; 1 accepts it. For the indexed model
// the palette holds 256 entries of blue, green, red, 0.
using TwainCreateImage =
    std::function<int(int width, int height, int bitsPerPixel, int colourModel, int xResolution,
                      int yResolution, const std::uint8_t* palette)>;
// Hands one row (0 is the top row) to the caller; false stops the transfer's storing.
using TwainStoreRow = std::function<bool(int row, const std::uint8_t* data)>;
// The transfer failed after the image may have been created.
using TwainDiscardImage = std::function<void()>;

// One conversation with a TWAIN data source manager loaded at run time by file name and entered
// only through its DSM_Entry: opening and closing it and a source, the user's choice of source,
// the source's own window, and each offered image fetched by buffered memory transfer and handed
// out row by row.
class TWAINControl {
  public:
    // The manager module the program ships.
    static constexpr const char* kManagerName = "pixtwain.so";

    TWAINControl(QWidget* parent, const QString& product, const QString& maker);
    ~TWAINControl();
    TWAINControl(const TWAINControl&) = delete;
    TWAINControl& operator=(const TWAINControl&) = delete;

    void SelectSource();
    bool Acquire(bool showUI, TwainCreateImage createImage, TwainStoreRow storeRow,
                 TwainDiscardImage discardImage);
    // message is any event that reached the parent window.
    int ProcessMessage(QEvent* message);
    void Close();

    // Where the manager is looked for and under which file name: the program's module folders
    // unless set (tests point these at their own manager).
    std::string ManagerName = kManagerName;
    std::vector<std::string> ManagerFolders;

    bool IsLibraryLoaded() const;
    bool IsManagerOpen() const;
    bool IsSourceOpen() const;
    bool IsSourceEnabled() const;

    // Error boxes go here instead of a message box when set (tests).
    using ErrorSink = std::function<void(const QString& caption, const QString& text)>;
    static void SetErrorSink(ErrorSink sink);

    // Transfer buffer bounds.
    static constexpr std::uint32_t kDefaultBufferSize = 32768;
    static constexpr std::uint32_t kMaxBufferSize = 65536;
    static constexpr int kPaletteBytes = 256 * 4;

  private:
    struct Connection;

    bool OpenManager();
    void CloseManager();
    bool OpenSource();
    void CloseSource();
    bool EnableSource(bool showUI);
    void DisableSource();
    bool LoadLibrary();
    void FreeLibrary();
    int Transfer();
    int MemoryTransfer(const void* imageInfo);
    void ShowError(const char* text) const;
    std::uint16_t Call(bool toSource, std::uint32_t group, std::uint16_t dat, std::uint16_t msg,
                       void* data);

    bool busy_ = false;
    std::unique_ptr<Connection> connection_;
    TwainCreateImage create_image_;
    TwainStoreRow store_row_;
    TwainDiscardImage discard_image_;
};

}  // namespace pixelary
