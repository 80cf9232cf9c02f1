// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <exception>

class QWidget;

namespace pixelary {

// Ids of the program's string table.
enum StringId : int {
    kStrBackHint = 100,           // "回到 "
    kStrForeHint = 101,           // "進到 "
    kStrErrorCaption = 200,       // "錯誤"
    kStrCannotPrintItem = 201,    // a selected entry is not a picture
    kStrNothingToPrint = 202,     // no folder, or nothing selected
    kStrNoPrinter = 203,          // no printer installed
    kStrNoWallpaper = 204,        // no focused entry, or not a picture
    kStrCannotSaveHere = 209,     // not a plain file-system folder
    kStrInfoName = 300,           // "名稱:"
    kStrInfoSize = 301,           // "大小:"
    kStrInfoDate = 302,           // "日期:"
    kStrInfoTime = 303,           // "時間:"
    kStrInfoType = 304,           // "類型:"
    kStrInfoComment = 305,        // "註解:"
    kStrStatusFolders = 306,      // "檔案夾:"
    kStrStatusFiles = 307,        // "  檔案數:"
    kStrStatusSelected = 308,     // "  巳選擇項目:"
    kStrPrintStyleError = 309,    // print dialog: bad style file
    kStrPrintSystemStyle = 310,   // print dialog: the built-in style entry
    kStrChooseDestination = 311,  // "選擇目的目錄"
};

// The text of a string-table entry; an unknown id gives an empty text.
QString LoadStr(int id);

// Icons a message box of the string table may carry.
enum class MessageIcon { None, Stop };

// Shows string `id` in a modal message box captioned "錯誤" (string 200).
void ErrorBox(QWidget* parent, int id, MessageIcon icon = MessageIcon::None);

// The application's standard exception display: the exception's message in a message box.
void ShowException(QWidget* parent, const std::exception& error);

// The system's simple beep, for refusals that carry no message.
void Beep();

// Tests replace the modal boxes so they can see what would be shown without blocking.
struct MessageRecord {
    QString caption;
    QString text;
};
using MessageSink = void (*)(const MessageRecord&);
void SetMessageSink(MessageSink sink);
// Tests count beeps instead of sounding them.
using BeepSink = void (*)();
void SetBeepSink(BeepSink sink);

}  // namespace pixelary
