// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/InfoPanel.h"

#include <QLocale>
#include <QPainter>

#include "mainwindow/Controls.h"
#include "mainwindow/Strings.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"

namespace pixelary {
namespace {

constexpr int kInfoWidth = 170;
constexpr int kInfoPanelHeight = 248;
const QColor kGrey(128, 128, 128);

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

InfoPanel::InfoPanel(const ThumbnailView& view, QWidget* parent)
    : QScrollArea(parent), view_(view) {
    setObjectName(QStringLiteral("InfoScrollBox"));
    setMinimumWidth(kInfoWidth);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    InfoPaint = new TPaintBox;
    InfoPaint->setObjectName(QStringLiteral("InfoPaint"));
    InfoPaint->setMouseTracking(false);
    // Tall enough for its last text line, so a short window scrolls the panel.
    InfoPaint->setMinimumHeight(kInfoPanelHeight);
    InfoPaint->OnPaint = [this](QPaintEvent*) { InfoPaintPaint(); };
    setWidget(InfoPaint);
    tile_ = LoadTile("tile101.png", QColor(184, 220, 168));
}

QList<InfoLine> InfoPanel::Lines() const {
    QList<InfoLine> lines;
    MExplorerItem* subject = view_.FocusedOrFolder();
    if (!subject) return lines;
    const QLocale locale;
    const auto fit = [this](const QString& text) { return view_.FitText(text, info::kTextWidth); };
    lines.append({info::kNameY,
                  fit(LoadStr(kStrInfoName) + ToQ(subject->GetName()) + ToQ(subject->GetExt()))});
    if (const std::int32_t size = subject->GetFileSize(); size != 0) {
        lines.append(
            {info::kSizeY, LoadStr(kStrInfoSize) +
                               FormatKBytes(size, locale.groupSeparator(), locale.decimalPoint())});
    }
    if (const std::int32_t date = subject->GetFileDate(); date != 0) {
        lines.append(
            {info::kDateY, LoadStr(kStrInfoDate) + FormatDate(date, LocaleDateSeparator())});
        lines.append(
            {info::kTimeY, LoadStr(kStrInfoTime) + FormatTime(date, LocaleTimeSeparator(),
                                                              locale.amText(), locale.pmText())});
    }
    lines.append({info::kTypeY, fit(LoadStr(kStrInfoType) + ToQ(subject->GetTypeName()))});
    lines.append({info::kCommentY, fit(LoadStr(kStrInfoComment) + ToQ(subject->Comment))});
    return lines;
}

void InfoPanel::InfoPaintPaint() {
    QPainter painter(InfoPaint);
    const int w = InfoPaint->width();
    const int h = InfoPaint->height();
    ThumbnailView::TileBitmap(painter, tile_, QRect(0, 0, w, h));
    painter.setPen(Qt::white);
    painter.drawLine(w - 1, 0, w - 1, h);
    painter.setPen(kGrey);
    painter.drawLine(w, 0, w, h);
    MExplorerItem* subject = view_.FocusedOrFolder();
    if (!subject) return;
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRoundedRect(info::kRoundRect, info::kCornerSize / 2.0, info::kCornerSize / 2.0);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const QImage picture = view_.Picture(*subject);
    const QSize fitted = FitPicture(picture.size(), info::kThumbBox);
    if (!picture.isNull() && !fitted.isEmpty()) {
        painter.drawImage(CentredPicture(fitted, QRect(info::kThumbOrigin, info::kThumbBox)),
                          picture);
    }
    painter.setFont(view_.font());
    const QFontMetrics metrics(view_.font());
    for (const InfoLine& line : Lines()) {
        painter.drawText(QRect(info::kTextX, line.y, w - info::kTextX, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line.text);
    }
}

}  // namespace pixelary
