// SPDX-License-Identifier: GPL-3.0-or-later
// Renaming the focused entry in place: the edit over its name, Enter, Escape and focus loss.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "mainwindow/BrowserState.h"
#include "mainwindow/Strings.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"

namespace pixelary {
namespace {

// Routes the rename edit's Enter, Escape and focus loss to the view.
class RenameEditFilter : public QObject {
  public:
    RenameEditFilter(ThumbnailView* view, QObject* parent) : QObject(parent), view_(view) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                view_->RenameEditKeyPress(key);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // A menu that opens, or another window that comes to the front, takes the keys away
            // only for a while: the rename stays open, as on every desktop.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                view_->RenameEditExit();
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    ThumbnailView* view_;
};

}  // namespace

void ThumbnailView::InstallRenameEdit() {
    RenameEdit->installEventFilter(new RenameEditFilter(this, RenameEdit));
}

void ThumbnailView::BeginRename() {
    RenameEditExit();  // a rename still open (the menu left it so) ends first
    MExplorerItem* entry = state_.Folder ? Entry(FocusIndex) : nullptr;
    if (!entry || (entry->GetAttributes(shell::SFGAO_CANRENAME) & shell::SFGAO_CANRENAME) == 0) {
        Beep();
        return;
    }
    RenameIndex = FocusIndex;
    ScrollCellIntoView(CellRect(CurrentGrid(), RenameIndex));
    PlaceRenameEdit();
    RenameOriginal = QString::fromStdString(entry->GetDisplayName(shell::SHGDN_NORMAL));
    RenameEdit->setText(RenameOriginal);
    RenameEdit->setEnabled(true);
    RenameEdit->setVisible(true);
    RenameEdit->selectAll();
    RenameEdit->setFocus();
}

void ThumbnailView::PlaceRenameEdit() {
    const QRect cell = CellRect(CurrentGrid(), RenameIndex);
    const QRect edit = (ViewMode == kViewDetails ? cell::kRenameDetails : cell::kRenameNormal)
                           .translated(cell.topLeft());
    RenameEdit->setGeometry(edit);
}

void ThumbnailView::RenameEditKeyPress(int key) {
    if (key == Qt::Key_Escape) RenameEdit->setText(RenameOriginal);
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        // The keys go back to the view the rename started from.
        if (RenameEdit->hasFocus()) setFocus(Qt::OtherFocusReason);
        RenameEditExit();  // also when the edit had no focus to lose
    }
}

void ThumbnailView::RenameEditExit() {
    if (!RenameEdit->isEnabled()) return;
    const QString text = RenameEdit->text();
    const QString original = RenameOriginal;
    // Disabled first: when the edit still has the focus, disabling and hiding it move the
    // focus, and the focus-out that brings must find the rename over.
    RenameEdit->setEnabled(false);
    RenameOriginal.clear();
    RenameEdit->clear();
    RenameEdit->setGeometry(0, 0, 1, 1);
    RenameEdit->setVisible(false);
    if (text == original) return;
    if (MExplorerItem* entry = state_.Folder ? Entry(RenameIndex) : nullptr) {
        entry->SetName(text.toStdString());
        InvalidateItem(RenameIndex);
    }
}

}  // namespace pixelary
