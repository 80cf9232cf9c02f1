// SPDX-License-Identifier: GPL-3.0-or-later
#include "printdlg/PrintOutput.h"

#include <cups/cups.h>

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSaveFile>

namespace pixelary {
namespace {

constexpr int kConnectTimeoutMs = 30000;

// Writes into the body of an open CUPS document request.
class CupsDocumentDevice : public QIODevice {
  public:
    explicit CupsDocumentDevice(http_t* http) : http_(http) {}
    // After an abort the rest of the document is dropped.
    void Detach() { http_ = nullptr; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (!http_) return size;
        const http_status_t status =
            cupsWriteRequestData(http_, data, static_cast<std::size_t>(size));
        return status == HTTP_STATUS_CONTINUE ? size : -1;
    }

  private:
    http_t* http_;
};

// A job streamed to a CUPS queue on a connection of its own, so it can be cancelled on another
// while its document is half sent.
class CupsOutput : public PrintOutput {
  public:
    CupsOutput(QString printer, QString title, int copies, QString media)
        : printer_(printer.toUtf8()),
          title_(title.toUtf8()),
          copies_(copies),
          media_(media.toUtf8()) {}
    ~CupsOutput() override {
        if (http_ && job_ > 0 && !finished_) Abort();
        if (http_) httpClose(http_);
    }

    QIODevice* Begin() override {
        http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                             kConnectTimeoutMs, nullptr);
        if (!http_) return Fail();
        cups_option_t* options = nullptr;
        int count = cupsAddOption("copies", QByteArray::number(copies_).constData(), 0, &options);
        if (!media_.isEmpty()) count = cupsAddOption("media", media_.constData(), count, &options);
        job_ = cupsCreateJob(http_, printer_.constData(), title_.constData(), count, options);
        cupsFreeOptions(count, options);
        if (job_ <= 0) return Fail();
        if (cupsStartDocument(http_, printer_.constData(), job_, title_.constData(),
                              CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE)
            return Fail();
        device_ = std::make_unique<CupsDocumentDevice>(http_);
        device_->open(QIODevice::WriteOnly);
        return device_.get();
    }

    bool Finish() override {
        finished_ = true;
        if (!http_ || job_ <= 0) return false;
        const bool sent = cupsFinishDocument(http_, printer_.constData()) == IPP_STATUS_OK;
        if (!sent) ErrorText = QString::fromUtf8(cupsLastErrorString());
        return sent;
    }

    void Abort() override {
        finished_ = true;
        if (device_) device_->Detach();
        if (job_ > 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, printer_.constData(), job_, 0);
        if (http_) {
            httpClose(http_);
            http_ = nullptr;
        }
    }

    int JobId() const override { return job_; }

  private:
    QIODevice* Fail() {
        ErrorText = QString::fromUtf8(cupsLastErrorString());
        return nullptr;
    }

    QByteArray printer_;
    QByteArray title_;
    int copies_;
    QByteArray media_;
    http_t* http_ = nullptr;
    int job_ = 0;
    bool finished_ = false;
    std::unique_ptr<CupsDocumentDevice> device_;
};

// A PDF file, written beside its final name and renamed over it only when complete.
class FileOutput : public PrintOutput {
  public:
    explicit FileOutput(const QString& path) : file_(path) {}

    QIODevice* Begin() override {
        if (file_.open(QIODevice::WriteOnly)) return &file_;
        ErrorText = file_.errorString();
        return nullptr;
    }
    bool Finish() override {
        if (file_.commit()) return true;
        ErrorText = file_.errorString();
        return false;
    }
    void Abort() override { file_.cancelWriting(); }

  private:
    QSaveFile file_;
};

}  // namespace

std::unique_ptr<PrintOutput> MakePrintOutput(const QPrinter& printer, const QString& title,
                                             int copies) {
    if (!printer.outputFileName().isEmpty())
        return std::make_unique<FileOutput>(printer.outputFileName());
    return std::make_unique<CupsOutput>(printer.printerName(), title, copies,
                                        printer.pageLayout().pageSize().key());
}

}  // namespace pixelary
