// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Strings.h"

#include <QApplication>
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
    {kStrBackHint, "回到 "},
    {kStrForeHint, "進到 "},
    {kStrErrorCaption, "錯誤"},
    {kStrCannotPrintItem, "選擇的檔案中有無法列印的項目"},
    {kStrNothingToPrint, "未選擇要列印的檔案"},
    {kStrNoPrinter, "系統沒有可用的印表機"},
    {kStrNoWallpaper, "沒選擇檔案或檔案類型不能做為桌面"},
    {kStrCannotSaveHere, "目前所在的資料夾不能存檔"},
    {kStrInfoName, "名稱:"},
    {kStrInfoSize, "大小:"},
    {kStrInfoDate, "日期:"},
    {kStrInfoTime, "時間:"},
    {kStrInfoType, "類型:"},
    {kStrInfoComment, "註解:"},
    {kStrStatusFolders, "檔案夾:"},
    {kStrStatusFiles, "  檔案數:"},
    {kStrStatusSelected, "  巳選擇項目:"},
    {kStrPrintStyleError, "參數檔資料錯誤"},
    {kStrPrintSystemStyle, "系統預設值"},
    {kStrChooseDestination, "選擇目的目錄"},
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
        if (entry.id == id) return QString::fromUtf8(entry.text);
    }
    return {};
}

void ErrorBox(QWidget* parent, int id, MessageIcon icon) {
    ShowBox(parent, LoadStr(kStrErrorCaption), LoadStr(id),
            icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon);
}

void ShowException(QWidget* parent, const std::exception& error) {
    ShowBox(parent, QApplication::applicationDisplayName(), QString::fromUtf8(error.what()),
            QMessageBox::Critical);
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
