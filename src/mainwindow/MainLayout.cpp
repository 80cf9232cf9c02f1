// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout: the cool bar (tool bar, about button, path combo), the info panel
// beside the thumbnail view, and the status bar.
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"

namespace pixelary {
namespace {

constexpr int kToolBarMinHeight = 39;
constexpr QSize kAboutButtonSize{40, 40};
constexpr int kAboutGlyphSide = 32;
constexpr int kPathItemHeight = 16;
constexpr int kInfoWidth = 170;
constexpr int kSplitterWidth = 2;
constexpr int kDesignClientWidth = 608;

}  // namespace

void TMainForm::BuildCoolBar() {
    MainBar = new TCoolBar(QPixmap(QStringLiteral(":/icons/coolbar.png")));
    MainBar->setObjectName(QStringLiteral("MainBar"));
    MainTool = new QToolBar(MainBar);
    MainTool->setObjectName(QStringLiteral("MainTool"));
    MainTool->setMovable(false);
    MainTool->setFloatable(false);
    MainTool->setMinimumHeight(kToolBarMinHeight);
    MainTool->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: none; }"));
    BuildCommands(true);

    AboutBtn = new QToolButton(MainBar);
    AboutBtn->setObjectName(QStringLiteral("AboutBtn"));
    AboutBtn->setFixedSize(kAboutButtonSize);
    AboutBtn->setIcon(QIcon(QStringLiteral(":/icons/about.png")));
    AboutBtn->setIconSize(QSize(kAboutGlyphSide, kAboutGlyphSide));
    AboutBtn->setAutoRaise(true);
    connect(AboutBtn, &QToolButton::clicked, this, &TMainForm::CmAboutClick);

    PathBandLabel = new QLabel(QCoreApplication::translate("MainWindow", "路徑:"), MainBar);
    PathBandLabel->setObjectName(QStringLiteral("PathBandLabel"));
    PathCombo = new QComboBox(MainBar);
    PathCombo->setObjectName(QStringLiteral("PathCombo"));
    PathCombo->setEditable(false);
    PathCombo->setIconSize(QSize(kPathItemHeight, kPathItemHeight));

    auto* firstRow = new QHBoxLayout;
    firstRow->setContentsMargins(0, 0, 0, 0);
    firstRow->addWidget(MainTool);
    firstRow->addStretch(1);
    firstRow->addWidget(AboutBtn);
    auto* secondRow = new QHBoxLayout;
    secondRow->setContentsMargins(2, 0, 2, 2);
    secondRow->addWidget(PathBandLabel);
    secondRow->addWidget(PathCombo, 1);
    auto* bands = new QVBoxLayout(MainBar);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    bands->addLayout(firstRow);
    bands->addLayout(secondRow);
}

void TMainForm::BuildClientArea() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));

    InfoScrollBox = new InfoPanel(*view_);
    InfoPaint = InfoScrollBox->InfoPaint;

    InfoSplitter = new QSplitter(Qt::Horizontal);
    InfoSplitter->setObjectName(QStringLiteral("InfoSplitter"));
    InfoSplitter->setHandleWidth(kSplitterWidth);
    InfoSplitter->setChildrenCollapsible(false);
    InfoSplitter->addWidget(InfoScrollBox);
    InfoSplitter->addWidget(view_);
    InfoSplitter->setStretchFactor(0, 0);
    InfoSplitter->setStretchFactor(1, 1);
    InfoSplitter->setSizes({kInfoWidth, kDesignClientWidth - kInfoWidth});

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MainBar);
    layout->addWidget(InfoSplitter, 1);
    setCentralWidget(central);
}

void TMainForm::BuildStatusBar() {
    StatusBar = new TStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->OnDrawPanel = [this](QPainter& painter, const QRect& rect) {
        StatusBarDrawPanel(painter, rect);
    };
    setStatusBar(StatusBar);
}

}  // namespace pixelary
