// SPDX-License-Identifier: GPL-3.0-or-later
// The print command: the selected pictures handed to the print dialog.
#include "mainwindow/PrintCommand.h"

#include <QPrinter>
#include <QPrinterInfo>

#include "core/Exception.h"
#include "core/Stream.h"
#include "core/Text.h"
#include "mainwindow/BrowserState.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/Strings.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "printdlg/MPrintDlg.h"
#include "readers/Rwimage.h"

namespace pixelary {
namespace {

// Printing resolution: sharp for photographs, and pictures decoded to their boxes stay small.
constexpr int kPrintDpi = 300;

// An entry's large image (its icon, or its thumbnail once made), read when the preview draws it.
Dib LargeImageOf(MExplorerItem* entry) {
    try {
        MemoryStream& stream = entry->GetLargeImageStream();
        stream.Seek(0, SeekOrigin::Begin);
        return Dib::LoadFromStream(stream);
    } catch (const Exception&) {
        return {};
    }
}

}  // namespace

PrintCommandHooks PrintCommandHooks::Default() {
    PrintCommandHooks hooks;
    hooks.HasPrinter = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    hooks.RunPrintDialog = [](QWidget* parent, PrintJob job) {
        QPrinter printer(QPrinter::HighResolution);
        // Without a default printer, the first one CUPS lists.
        if (printer.printerName().isEmpty() && !QPrinterInfo::availablePrinterNames().isEmpty())
            printer.setPrinterName(QPrinterInfo::availablePrinterNames().first());
        printer.setResolution(kPrintDpi);
        TMPrintDlg dialog(printer, PrintFolders::ForProgram(), parent);
        dialog.SetJob(std::move(job));
        dialog.exec();
    };
    return hooks;
}

void FileCommands::Print() {
    if (!state_.Folder) {
        ErrorBox(window_, kStrNothingToPrint);
        return;
    }
    PrintJob job;
    job.Title = state_.Folder->GetDisplayName(shell::SHGDN_FORPARSING);
    for (int i = 0; i < view_.EntryCount(); ++i) {
        MExplorerItem* entry = view_.Entry(i);
        if (!entry->Selected) continue;
        if (!IsImageFileExt(text::ToLower(entry->GetExt()))) {
            ErrorBox(window_, kStrCannotPrintItem);
            return;
        }
        job.Entries.push_back({entry->GetDisplayName(shell::SHGDN_FORPARSING),
                               entry->GetName() + entry->GetExt(),
                               [entry] { return LargeImageOf(entry); }});
    }
    if (job.Entries.empty()) {
        ErrorBox(window_, kStrNothingToPrint);
        return;
    }
    if (!PrintCommand.HasPrinter()) {
        ErrorBox(window_, kStrNoPrinter);
        return;
    }
    PrintCommand.RunPrintDialog(window_, std::move(job));
}

}  // namespace pixelary
