// SPDX-License-Identifier: GPL-3.0-or-later
// Navigation: the history and its Go-menu entries, folder loads, opening entries and sorting.
#include "mainwindow/Navigator.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QToolButton>
#include <QUrl>

#include "mainwindow/BrowserState.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Logging.h"
#include "mainwindow/ScannerLink.h"
#include "mainwindow/Strings.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "model/MFolderPath.h"
#include "model/MWalkQueue.h"

namespace pixelary {
namespace {

constexpr int kHistoryCapacity = 20;

// Menu captions treat "&" as a mnemonic marker; a folder name shows its "&" literally.
QString MenuCaption(const QString& name) {
    QString caption = name;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString HistoryName(const QAction* item) {
    return item->data().toString();
}

}  // namespace

Navigator::Navigator(BrowserState& state, ThumbnailView& view, ScannerLink& scanner,
                     QWidget* window)
    : state_(state), view_(view), scanner_(scanner), window_(window) {
    ExecuteFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
}

Navigator::~Navigator() = default;

void Navigator::SetControls(const Controls& controls) {
    controls_ = controls;
    historyGroup_ = new QActionGroup(this);
    SetUpPathCombo();
}

void Navigator::Guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& error) {
        ShowException(window_, error);
    }
}

// ---- history ----------------------------------------------------------------------------------

QList<QAction*> Navigator::HistoryItems() const {
    const QList<QAction*> actions = controls_.GotoMenu->actions();
    const qsizetype s = actions.indexOf(controls_.GotoListStart);
    const qsizetype e = actions.indexOf(controls_.GotoListEnd);
    return actions.mid(s + 1, e - s - 1);
}

void Navigator::GotoLocation(std::unique_ptr<MFolderPath> location) {
    QMenu* menu = controls_.GotoMenu;
    auto* item = new QAction(menu);
    const int f = state_.History->Count() - state_.History->CurrentIndex() - 1;
    if (f > 0) {
        state_.History->DropAfterCurrent();
        const QList<QAction*> newer = HistoryItems().mid(0, f);
        for (QAction* entry : newer) {
            menu->removeAction(entry);
            delete entry;
        }
    }
    if (const QList<QAction*> entries = HistoryItems(); entries.size() >= kHistoryCapacity) {
        menu->removeAction(entries.back());
        delete entries.back();
    }
    state_.History->Push(std::move(location));

    item->setCheckable(true);
    item->setActionGroup(historyGroup_);
    connect(item, &QAction::triggered, this, [this, item] { ShowHistoryItem(item); });
    const QList<QAction*> actions = menu->actions();
    menu->insertAction(actions.at(actions.indexOf(controls_.GotoListStart) + 1), item);
    item->trigger();
    const QString name =
        state_.Folder ? QString::fromStdString(state_.Folder->GetDisplayName(shell::SHGDN_NORMAL))
                      : QString();
    item->setData(name);
    item->setText(MenuCaption(name));
}

void Navigator::ShowHistoryItem(QAction* item) {
    item->setChecked(true);
    const QList<QAction*> actions = controls_.GotoMenu->actions();
    const qsizetype a = actions.indexOf(item);
    const qsizetype s = actions.indexOf(controls_.GotoListStart);
    const qsizetype e = actions.indexOf(controls_.GotoListEnd);
    const bool oldest = e == a + 1;
    QToolButton* back = controls_.BackBtn;
    back->setEnabled(!oldest);
    controls_.GotoBack->setEnabled(!oldest);
    back->setToolTip(LoadStr(kStrBackHint) + (oldest ? QString() : HistoryName(actions.at(a + 1))));
    back->setStatusTip(back->toolTip());
    const bool newest = a == s + 1;
    QToolButton* fore = controls_.ForeBtn;
    fore->setEnabled(!newest);
    controls_.GotoFore->setEnabled(!newest);
    fore->setToolTip(LoadStr(kStrForeHint) + (newest ? QString() : HistoryName(actions.at(a - 1))));
    fore->setStatusTip(fore->toolTip());
    state_.History->SetCurrent(state_.History->Count() - static_cast<int>(a - s));
    Guarded([this] { LoadCurrentFolder(false); });
}

void Navigator::GoBack() {
    const QList<QAction*> entries = HistoryItems();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!entries.at(i)->isChecked()) continue;
        if (i + 1 < entries.size()) entries.at(i + 1)->trigger();
        return;
    }
}

void Navigator::GoForward() {
    const QList<QAction*> entries = HistoryItems();
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (!entries.at(i)->isChecked()) continue;
        if (i > 0) entries.at(i - 1)->trigger();
        return;
    }
}

// ---- folder load ------------------------------------------------------------------------------

void Navigator::LoadCurrentFolder(bool reload) {
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    view_.RenameEditExit();  // a rename the menu left open ends on the entries it was started on
    CursorGuard wait(Qt::WaitCursor);

    scanner_.Stop();
    state_.Folder.reset();
    view_.ForgetEntries();
    MFolderPath* location = state_.History->Current();
    if (!location) return;
    const int depth = location->Depth();
    state_.Folder = std::make_unique<MExplorerItem>(location->FolderAt(depth - 1),
                                                    location->IdAt(depth - 1).CopyLastId());
    MExplorerItem& folder = *state_.Folder;
    std::int32_t key = kSortByName;
    if (controls_.SortExt->isChecked()) key = kSortByExt;
    if (controls_.SortSize->isChecked()) key = kSortBySize;
    if (controls_.SortDate->isChecked()) key = kSortByDate;
    folder.SetSortKey(key);
    folder.SetAscending(controls_.SortMinMax->isChecked());
    folder.Fill(depth == 1 ? shell::SHCONTF_FOLDERS
                           : shell::SHCONTF_FOLDERS | shell::SHCONTF_NONFOLDERS);
    qCDebug(lcMainWindow) << "showing" << folder.GetDisplayName(shell::SHGDN_FORPARSING).c_str()
                          << "depth" << depth << "entries" << folder.ChildCount()
                          << (reload ? "reloading thumbnails" : "");
    controls_.UpPath->setEnabled(depth > 1);
    controls_.UpPathBtn->setEnabled(depth > 1);
    scanner_.Start(reload);
    view_.ShowNewListing();
    FillPathCombo();
    view_.ArrangeItems();
}

void Navigator::ShowDesktop() {
    Guarded([this] {
        MExplorerItem desktop(shell::CSIDL_DESKTOP);
        GotoLocation(std::make_unique<MFolderPath>(desktop.ParentFolder(), desktop.CopyLastId()));
    });
}

void Navigator::GoUp() {
    if (!state_.Folder || !state_.History->Current()) return;
    auto location = std::make_unique<MFolderPath>(*state_.History->Current());
    location->RemoveLastLevel();
    GotoLocation(std::move(location));
}

void Navigator::OpenItem(int index) {
    MExplorerItem* entry = view_.Entry(index);
    if (!entry) return;
    CursorGuard wait(Qt::WaitCursor);
    const std::uint32_t attributes =
        entry->GetAttributes(shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM);
    if (attributes & shell::SFGAO_FOLDER) {
        auto location = std::make_unique<MFolderPath>(*state_.History->Current());
        location->AppendLevel(state_.Folder->BindToFolder(), entry->CopyIdList());
        GotoLocation(std::move(location));
    } else if (attributes & shell::SFGAO_FILESYSTEM) {
        ExecuteFile(QString::fromStdString(entry->GetDisplayName(shell::SHGDN_FORPARSING)));
    }
}

// ---- sorting ----------------------------------------------------------------------------------

void Navigator::SortChanged(QAction* viewItem, QAction* popupItem) {
    viewItem->setChecked(true);
    popupItem->setChecked(true);
    Guarded([this] { LoadCurrentFolder(false); });
}

void Navigator::SortDescending(QAction* viewItem, QAction* popupItem) {
    viewItem->setChecked(true);
    popupItem->setChecked(true);
    // Re-sorting in place keeps the selection and the focus. The scanner addresses entries by
    // position, so a scan still running is started again over the new order: otherwise its
    // next thumbnail would land on whichever entry now holds its old position, and entries moved
    // before it would never get theirs. Thumbnails already made are found in the cache; a
    // reload keeps reloading, so the pictures it has not reached yet are made afresh.
    view_.RenameEditExit();  // before its entry moves
    const bool scanning = scanner_.Running();
    const bool reloading = scanner_.Reloading();
    if (scanning) scanner_.Stop();
    if (state_.Folder) state_.Folder->SetAscending(false);
    if (scanning) scanner_.Start(reloading);
    view_.ItemPaint->update();
}

}  // namespace pixelary
