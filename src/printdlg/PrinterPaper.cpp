// SPDX-License-Identifier: GPL-3.0-or-later
#include "printdlg/PrinterPaper.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace pixelary {
namespace {

constexpr double kCmPerInch = 2.54;

double ToCm(double pixels, int dpi) {
    return dpi > 0 ? pixels / dpi * kCmPerInch : 0.0;
}

}  // namespace

std::vector<PaperEntry> PrinterPapers(const QPrinter& printer) {
    std::vector<PaperEntry> papers;
    const QPrinterInfo info(printer);
    QList<QPageSize> sizes = info.isNull() ? QList<QPageSize>{} : info.supportedPageSizes();
    if (sizes.isEmpty()) {
        // Printing to a file, or a driver that lists nothing: the common sheets.
        for (QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter, QPageSize::A5,
                                         QPageSize::A3, QPageSize::Legal, QPageSize::B5})
            sizes.push_back(QPageSize(id));
    }
    for (const QPageSize& size : sizes) {
        const int code = size.windowsId();
        if (code <= 0 || code > 0xFFFF) continue;
        papers.push_back({static_cast<std::uint16_t>(code), size.name()});
    }
    return papers;
}

std::uint16_t CurrentPaperCode(const QPrinter& printer) {
    const int code = printer.pageLayout().pageSize().windowsId();
    return code > 0 && code <= 0xFFFF ? static_cast<std::uint16_t>(code) : 0;
}

PaperMetrics MeasurePaper(QPrinter& printer, std::uint16_t paperCode, bool portrait) {
    const QPageSize::PageSizeId id = QPageSize::id(paperCode);
    if (id != QPageSize::Custom) printer.setPageSize(QPageSize(id));
    printer.setPageOrientation(portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    const int dpi = printer.resolution();
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    PaperMetrics m;
    m.PaperWidth = ToCm(paper.width(), dpi);
    m.PaperHeight = ToCm(paper.height(), dpi);
    m.PrintableLeft = ToCm(page.left() - paper.left(), dpi);
    m.PrintableTop = ToCm(page.top() - paper.top(), dpi);
    m.PrintableWidth = ToCm(page.width(), dpi);
    m.PrintableHeight = ToCm(page.height(), dpi);
    return m;
}

PageRect PrinterPageRect(const QPrinter& printer) {
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    return {paper.left() - page.left(), paper.top() - page.top(), paper.width(), paper.height()};
}

}  // namespace pixelary
