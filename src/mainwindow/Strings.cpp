// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Strings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <exception>
#include <utility>

namespace pixelary {
namespace {

struct StringEntry {
    int id;
    const char* text;
};

constexpr StringEntry kStringTable[] = {
    {kStrBackHint, QT_TRANSLATE_NOOP("Strings", "回到 ")},
    {kStrForeHint, QT_TRANSLATE_NOOP("Strings", "進到 ")},
    {kStrErrorCaption, QT_TRANSLATE_NOOP("Strings", "錯誤")},
    {kStrCannotPrintItem, QT_TRANSLATE_NOOP("Strings", "選擇的檔案中有無法列印的項目")},
    {kStrNothingToPrint, QT_TRANSLATE_NOOP("Strings", "未選擇要列印的檔案")},
    {kStrNoPrinter, QT_TRANSLATE_NOOP("Strings", "系統沒有可用的印表機")},
    {kStrNoWallpaper, QT_TRANSLATE_NOOP("Strings", "沒選擇檔案或檔案類型不能做為桌面")},
    {kStrCannotSaveHere, QT_TRANSLATE_NOOP("Strings", "目前所在的資料夾不能存檔")},
    {kStrInfoName, QT_TRANSLATE_NOOP("Strings", "名稱:")},
    {kStrInfoSize, QT_TRANSLATE_NOOP("Strings", "大小:")},
    {kStrInfoDate, QT_TRANSLATE_NOOP("Strings", "日期:")},
    {kStrInfoTime, QT_TRANSLATE_NOOP("Strings", "時間:")},
    {kStrInfoType, QT_TRANSLATE_NOOP("Strings", "類型:")},
    {kStrInfoComment, QT_TRANSLATE_NOOP("Strings", "註解:")},
    {kStrStatusFolders, QT_TRANSLATE_NOOP("Strings", "檔案夾:")},
    {kStrStatusFiles, QT_TRANSLATE_NOOP("Strings", "  檔案數:")},
    {kStrStatusSelected, QT_TRANSLATE_NOOP("Strings", "  巳選擇項目:")},
    {kStrPrintStyleError, QT_TRANSLATE_NOOP("Strings", "參數檔資料錯誤")},
    {kStrPrintSystemStyle, QT_TRANSLATE_NOOP("Strings", "系統預設值")},
    {kStrChooseDestination, QT_TRANSLATE_NOOP("Strings", "選擇目的目錄")},
};

// Messages that the layers without Qt raise in the program's own language (print style files);
// an exception's message is shown translated when the translation knows it.
[[maybe_unused]] constexpr const char* kLibraryMessages[] = {
    QT_TRANSLATE_NOOP("Exception", "參數檔資料錯誤"),
};

MessageSink g_sink = nullptr;
BeepSink g_beep_sink = nullptr;

void ShowBox(QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon) {
    if (g_sink) {
        g_sink({caption, text});
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

QString LoadStr(int id) {
    for (const StringEntry& entry : kStringTable) {
        if (entry.id == id) return QCoreApplication::translate("Strings", entry.text);
    }
    return {};
}

void ErrorBox(QWidget* parent, int id, MessageIcon icon) {
    ShowBox(parent, LoadStr(kStrErrorCaption), LoadStr(id),
            icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon);
}

void ShowException(QWidget* parent, const std::exception& error) {
    ShowBox(parent, QApplication::applicationDisplayName(),
            QCoreApplication::translate("Exception", error.what()), QMessageBox::Critical);
}

void Beep() {
    if (g_beep_sink) {
        g_beep_sink();
        return;
    }
    QApplication::beep();
}

void SetBeepSink(BeepSink sink) {
    g_beep_sink = sink;
}

void SetMessageSink(MessageSink sink) {
    g_sink = sink;
}

}  // namespace pixelary
