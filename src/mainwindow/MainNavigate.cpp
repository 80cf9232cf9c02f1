// SPDX-License-Identifier: GPL-3.0-or-later
// Navigation: the history and its Go-menu entries, folder loads, sorting and the path combo.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "core/Exception.h"
#include "mainwindow/BmpStreamImage.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Logging.h"
#include "mainwindow/Main.h"
#include "mainwindow/Strings.h"
#include "model/MExplorerItem.h"
#include "model/MFolderPath.h"
#include "model/MWalkQueue.h"
#include "platform/ItemIdList.h"
#include "platform/ShellFolder.h"
#include "scanner/MScanIcon.h"

namespace pixelary {
namespace {

constexpr int kHistoryCapacity = 20;
constexpr int kPathItemHeight = 16;
const QColor kNavy(0, 0, 128);

// Menu captions treat "&" as a mnemonic marker; a folder name shows its "&" literally.
QString MenuCaption(const QString& name) {
    QString caption = name;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString HistoryName(const QAction* item) {
    return item->data().toString();
}

// Draws the path combo's list items through the main window's draw handler.
class PathComboDelegate : public QStyledItemDelegate {
  public:
    using Draw = std::function<void(QPainter&, int, const QRect&, bool)>;
    PathComboDelegate(Draw draw, QObject* parent) : QStyledItemDelegate(parent), draw_(draw) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        draw_(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kPathItemHeight);
    }

  private:
    Draw draw_;
};

}  // namespace

// ---- history ----------------------------------------------------------------------------------

QList<QAction*> TMainForm::HistoryItems() const {
    const QList<QAction*> actions = GotoMenu->actions();
    const qsizetype s = actions.indexOf(CmGotoListStart);
    const qsizetype e = actions.indexOf(CmGotoListEnd);
    return actions.mid(s + 1, e - s - 1);
}

void TMainForm::GotoLocation(std::unique_ptr<MFolderPath> location) {
    auto* item = new QAction(GotoMenu);
    const int f = History->Count() - History->CurrentIndex() - 1;
    if (f > 0) {
        History->DropAfterCurrent();
        const QList<QAction*> newer = HistoryItems().mid(0, f);
        for (QAction* entry : newer) {
            GotoMenu->removeAction(entry);
            delete entry;
        }
    }
    if (const QList<QAction*> entries = HistoryItems(); entries.size() >= kHistoryCapacity) {
        GotoMenu->removeAction(entries.back());
        delete entries.back();
    }
    History->Push(std::move(location));

    item->setCheckable(true);
    item->setActionGroup(HistoryGroup);
    connect(item, &QAction::triggered, this, [this, item] { CmGotoChange(item); });
    const QList<QAction*> actions = GotoMenu->actions();
    GotoMenu->insertAction(actions.at(actions.indexOf(CmGotoListStart) + 1), item);
    item->trigger();
    const QString name =
        Folder ? QString::fromStdString(Folder->GetDisplayName(shell::SHGDN_NORMAL)) : QString();
    item->setData(name);
    item->setText(MenuCaption(name));
}

void TMainForm::CmGotoChange(QAction* item) {
    item->setChecked(true);
    const QList<QAction*> actions = GotoMenu->actions();
    const qsizetype a = actions.indexOf(item);
    const qsizetype s = actions.indexOf(CmGotoListStart);
    const qsizetype e = actions.indexOf(CmGotoListEnd);
    const bool oldest = e == a + 1;
    BackBtn->setEnabled(!oldest);
    CmGotoBack->setEnabled(!oldest);
    BackBtn->setToolTip(LoadStr(kStrBackHint) +
                        (oldest ? QString() : HistoryName(actions.at(a + 1))));
    BackBtn->setStatusTip(BackBtn->toolTip());
    const bool newest = a == s + 1;
    ForeBtn->setEnabled(!newest);
    CmGotoFore->setEnabled(!newest);
    ForeBtn->setToolTip(LoadStr(kStrForeHint) +
                        (newest ? QString() : HistoryName(actions.at(a - 1))));
    ForeBtn->setStatusTip(ForeBtn->toolTip());
    History->SetCurrent(History->Count() - static_cast<int>(a - s));
    try {
        LoadCurrentFolder(false);
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
}

void TMainForm::CmGotoBackClick() {
    const QList<QAction*> entries = HistoryItems();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!entries.at(i)->isChecked()) continue;
        if (i + 1 < entries.size()) entries.at(i + 1)->trigger();
        return;
    }
}

void TMainForm::CmGotoForeClick() {
    const QList<QAction*> entries = HistoryItems();
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (!entries.at(i)->isChecked()) continue;
        if (i > 0) entries.at(i - 1)->trigger();
        return;
    }
}

// ---- folder load ------------------------------------------------------------------------------

void TMainForm::LoadCurrentFolder(bool reload) {
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    RenameEditExit();  // a rename the menu left open ends on the entries it was started on
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QGuiApplication::restoreOverrideCursor(); }
    } restore;

    StopScanner();
    Folder.reset();
    entryKinds_.clear();
    entryKindsCount_ = -1;
    MFolderPath* location = History->Current();
    if (!location) return;
    const int depth = location->Depth();
    Folder = std::make_unique<MExplorerItem>(location->FolderAt(depth - 1),
                                             location->IdAt(depth - 1).CopyLastId());
    std::int32_t key = kSortByName;
    if (CmSortExt->isChecked()) key = kSortByExt;
    if (CmSortSize->isChecked()) key = kSortBySize;
    if (CmSortDate->isChecked()) key = kSortByDate;
    Folder->SetSortKey(key);
    Folder->SetAscending(CmSortMinMax->isChecked());
    Folder->Fill(depth == 1 ? shell::SHCONTF_FOLDERS
                            : shell::SHCONTF_FOLDERS | shell::SHCONTF_NONFOLDERS);
    qCDebug(lcMainWindow) << "showing" << Folder->GetDisplayName(shell::SHGDN_FORPARSING).c_str()
                          << "depth" << depth << "entries" << Folder->ChildCount()
                          << (reload ? "reloading thumbnails" : "");
    CmUpPath->setEnabled(depth > 1);
    UpPathBtn->setEnabled(depth > 1);
    StartScanner(reload);
    ItemScrollBox->verticalScrollBar()->setValue(0);
    ItemScrollBox->horizontalScrollBar()->setValue(0);
    FocusIndex = -1;
    HotIndex = -1;
    FillPathCombo();
    ArrangeItems();
}

void TMainForm::CmDesktopClick() {
    try {
        MExplorerItem desktop(shell::CSIDL_DESKTOP);
        GotoLocation(std::make_unique<MFolderPath>(desktop.ParentFolder(), desktop.CopyLastId()));
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
}

void TMainForm::CmUpPathClick() {
    if (!Folder || !History->Current()) return;
    auto location = std::make_unique<MFolderPath>(*History->Current());
    location->RemoveLastLevel();
    GotoLocation(std::move(location));
}

void TMainForm::CmViewRefreshClick() {
    LoadCurrentFolder(false);
}

void TMainForm::CmViewReloadIconClick() {
    LoadCurrentFolder(true);
}

void TMainForm::SortChanged(QAction* viewItem, QAction* popupItem) {
    viewItem->setChecked(true);
    popupItem->setChecked(true);
    try {
        LoadCurrentFolder(false);
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
}

void TMainForm::CmSortNameClick() {
    SortChanged(CmSortName, CmPopSortName);
}
void TMainForm::CmSortExtClick() {
    SortChanged(CmSortExt, CmPopSortExt);
}
void TMainForm::CmSortSizeClick() {
    SortChanged(CmSortSize, CmPopSortSize);
}
void TMainForm::CmSortDateClick() {
    SortChanged(CmSortDate, CmPopSortDate);
}
void TMainForm::CmSortMinMaxClick() {
    SortChanged(CmSortMinMax, CmPopSortMinMax);
}

void TMainForm::CmSortMaxMinClick() {
    CmSortMaxMin->setChecked(true);
    CmPopSortMaxMin->setChecked(true);
    // Re-sorting in place keeps the selection and the focus. The scanner addresses entries by
    // position, so a scan still running is started again over the new order: otherwise its
    // next thumbnail would land on whichever entry now holds its old position, and entries moved
    // before it would never get theirs. Thumbnails already made are found in the cache; a
    // reload keeps reloading, so the pictures it has not reached yet are made afresh.
    RenameEditExit();  // before its entry moves
    const bool scanning = Scanner && !Scanner->Finished();
    const bool reloading = scanning && Scanner->ReloadImages != 0;
    if (scanning) StopScanner();
    if (Folder) Folder->SetAscending(false);
    if (scanning) StartScanner(reloading);
    ItemPaint->update();
}

// ---- path combo -------------------------------------------------------------------------------

void TMainForm::BuildPathCombo() {
    PathCombo->setItemDelegate(new PathComboDelegate(
        [this](QPainter& painter, int index, const QRect& rect, bool selected) {
            PathComboDrawItem(painter, index, rect, selected);
        },
        PathCombo));
    connect(PathCombo, &QComboBox::activated, this, [this](int index) {
        try {
            PathComboChange(index);
        } catch (const std::exception& error) {
            ShowException(this, error);
        }
    });
    PathCombo->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PathCombo && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            try {
                PathComboKeyPress(key);
            } catch (const std::exception& error) {
                ShowException(this, error);
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::FillPathCombo() {
    const QSignalBlocker quiet(PathCombo);
    PathCombo->clear();
    PathImageList.clear();
    MFolderPath* location = History->Current();
    if (!location) return;
    for (int i = 0; i < location->Depth(); ++i) {
        MExplorerItem level(location->FolderAt(i), location->IdAt(i).CopyLastId());
        const QImage icon = LoadBmpImage(level.GetSmallIconStream());
        QPixmap picture(kPathItemHeight, kPathItemHeight);
        picture.fill(Qt::white);
        if (!icon.isNull()) {
            QPainter painter(&picture);
            painter.drawImage(picture.rect(), icon);
        }
        PathImageList.push_back(picture);
        PathCombo->addItem(QIcon(picture), QString::fromStdString(level.GetName()));
    }
    PathCombo->setCurrentIndex(PathCombo->count() - 1);
}

void TMainForm::PathComboDrawItem(QPainter& painter, int index, const QRect& rect, bool selected) {
    painter.save();
    painter.fillRect(rect, Qt::white);
    const int indent = index * (kPathItemHeight / 2);
    if (index >= 0 && index < static_cast<int>(PathImageList.size())) {
        painter.drawPixmap(rect.left() + indent, rect.top(), PathImageList.at(index));
    }
    const QString text = PathCombo->itemText(index);
    const QFontMetrics metrics(PathCombo->font());
    const QRect textBox(rect.left() + indent + kPathItemHeight / 2 + kPathItemHeight,
                        rect.top() + (rect.height() - metrics.height()) / 2,
                        metrics.horizontalAdvance(text), metrics.height());
    painter.fillRect(textBox, selected ? kNavy : QColor(Qt::white));
    painter.setPen(selected ? Qt::white : Qt::black);
    painter.setFont(PathCombo->font());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

void TMainForm::PathComboChange(int index) {
    const int count = PathCombo->count();
    if (!Folder || index < 0 || index == count - 1 || !History->Current()) return;
    auto location = std::make_unique<MFolderPath>(*History->Current());
    for (int i = 0; i < count - 1 - index; ++i) location->RemoveLastLevel();
    GotoLocation(std::move(location));
}

void TMainForm::PathComboKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    GotoPathText(PathCombo->currentText());
}

void TMainForm::GotoFolderPath(const QString& path) {
    const std::shared_ptr<shell::Shell> namespaceRoot = shell::CurrentShell();
    shell::FolderPtr folder = namespaceRoot ? namespaceRoot->GetDesktopFolder() : nullptr;
    const std::optional<shell::IdList> absolute =
        folder ? folder->ParseDisplayName(path.toStdString()) : std::nullopt;
    if (!absolute) {
        GotoPathText(path);
        return;
    }
    // One level per item of the absolute list, from the desktop down.
    auto location = std::make_unique<MFolderPath>(folder, shell::idlist::Empty());
    const std::span<const std::uint8_t> bytes(*absolute);
    for (const std::size_t offset : shell::idlist::ItemOffsets(bytes)) {
        const shell::IdList item = shell::idlist::Normalized(
            bytes.subspan(offset, shell::idlist::ItemSize(bytes, offset)));
        location->AppendLevel(folder, item);
        folder = folder->BindToObject(item);
        if (!folder) break;
    }
    GotoLocation(std::move(location));
}

void TMainForm::GotoPathText(const QString& path) {
    MExplorerItem item(path.toStdString());
    GotoLocation(std::make_unique<MFolderPath>(item.ParentFolder(), item.CopyLastId()));
}

}  // namespace pixelary
