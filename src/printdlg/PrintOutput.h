// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>
#include <QString>
#include <memory>

class QPrinter;

namespace pixelary {

// Where a print job's PDF goes while its pages are drawn: straight into a CUPS job, or into a
// file. Nothing reaches the printer or the file's name unless the job finishes: an aborted CUPS
// job is cancelled in the queue, an aborted file never replaces what was there.
class PrintOutput {
  public:
    virtual ~PrintOutput() = default;
    // The device the PDF is written to; null when the job cannot start (see ErrorText).
    virtual QIODevice* Begin() = 0;
    // Completes the job; false when it could not be handed over whole.
    virtual bool Finish() = 0;
    virtual void Abort() = 0;
    // The CUPS job's id; 0 for a file.
    virtual int JobId() const { return 0; }

    QString ErrorText;
};

// The output for the printer's destination: its output file when one is set, else its CUPS
// queue, with the job's title and the printer's copy count.
std::unique_ptr<PrintOutput> MakePrintOutput(const QPrinter& printer, const QString& title,
                                             int copies);

}  // namespace pixelary
