// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/About.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "mainwindow/MainFont.h"

namespace pixelary {
namespace {

constexpr QSize kClientSize{313, 258};
constexpr QRect kPanelRect{8, 8, 297, 209};
constexpr int kIconSide = 64;
constexpr QSize kButtonSize{75, 25};
constexpr int kButtonTop = 225;
constexpr int kTextLeft = 88;
constexpr int kTextWidth = 200;
constexpr int kMargin = 8;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect where) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    label->setWordWrap(true);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("關於 %1").arg(QGuiApplication::applicationDisplayName()));
    setFont(MainWindowFont());
    setFixedSize(kClientSize);
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setGeometry(kPanelRect);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(kMargin, kMargin, kIconSide, kIconSide);
    ProgramIcon->setPixmap(
        QIcon(QStringLiteral(":/icons/pixelary.png")).pixmap(kIconSide, kIconSide));
    ProgramIcon->setScaledContents(true);

    ProductName = MakeLabel(Panel1, "ProductName", QGuiApplication::applicationDisplayName(),
                            QRect(kTextLeft, 16, kTextWidth, 16));
    Version = MakeLabel(Panel1, "Version", QString(), QRect(kTextLeft, 40, kTextWidth, 16));
    Copyright = MakeLabel(Panel1, "Copyright",
                          tr("Norvanti\n台北市 Pixelary 專案\n"
                             "GPL-3.0-or-later"),
                          QRect(kMargin, 84, 281, 54));
    Comments = MakeLabel(Panel1, "Comments",
                         tr("影像函式庫: Pixelary imaging component, "
                            "with libjpeg-turbo, libpng, giflib, libtiff, "
                            "Ghostscript and dxflib"),
                         QRect(kMargin, 142, 281, 60));

    OKButton = new QPushButton(tr("確定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setGeometry((kClientSize.width() - kButtonSize.width()) / 2, kButtonTop,
                          kButtonSize.width(), kButtonSize.height());
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate();
}

void TAboutBox::FormCreate() {
    Version->setText(
        tr("Version:%1.%2%3").arg(kMajorVersion).arg(kMinorVersion / 10).arg(kMinorVersion % 10));
}

}  // namespace pixelary
