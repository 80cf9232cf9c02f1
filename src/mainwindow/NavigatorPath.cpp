// SPDX-License-Identifier: GPL-3.0-or-later
// Navigation by path: the path combo (one level per item, indented), Enter on its text, and the
// folder an absolute path names.
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "mainwindow/BmpStreamImage.h"
#include "mainwindow/BrowserState.h"
#include "mainwindow/Navigator.h"
#include "model/MExplorerItem.h"
#include "model/MFolderPath.h"
#include "model/MWalkQueue.h"
#include "platform/api/ItemIdList.h"
#include "platform/api/ShellFolder.h"

namespace pixelary {
namespace {

constexpr int kPathItemHeight = 16;
const QColor kNavy(0, 0, 128);

// Draws the path combo's list items through the navigator's draw handler.
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

void Navigator::SetUpPathCombo() {
    QComboBox* combo = controls_.PathCombo;
    combo->setItemDelegate(new PathComboDelegate(
        [this](QPainter& painter, int index, const QRect& rect, bool selected) {
            PathComboDrawItem(painter, index, rect, selected);
        },
        combo));
    connect(combo, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { PathComboChange(index); }); });
    combo->installEventFilter(this);
}

bool Navigator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == controls_.PathCombo && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Guarded([this, key] { PathComboKeyPress(key); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void Navigator::FillPathCombo() {
    QComboBox* combo = controls_.PathCombo;
    const QSignalBlocker quiet(combo);
    combo->clear();
    pathImages_.clear();
    MFolderPath* location = state_.History->Current();
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
        pathImages_.push_back(picture);
        combo->addItem(QIcon(picture), QString::fromStdString(level.GetName()));
    }
    combo->setCurrentIndex(combo->count() - 1);
}

void Navigator::PathComboDrawItem(QPainter& painter, int index, const QRect& rect, bool selected) {
    const QComboBox* combo = controls_.PathCombo;
    painter.save();
    painter.fillRect(rect, Qt::white);
    const int indent = index * (kPathItemHeight / 2);
    if (index >= 0 && index < static_cast<int>(pathImages_.size())) {
        painter.drawPixmap(rect.left() + indent, rect.top(), pathImages_.at(index));
    }
    const QString text = combo->itemText(index);
    const QFontMetrics metrics(combo->font());
    const QRect textBox(rect.left() + indent + kPathItemHeight / 2 + kPathItemHeight,
                        rect.top() + (rect.height() - metrics.height()) / 2,
                        metrics.horizontalAdvance(text), metrics.height());
    painter.fillRect(textBox, selected ? kNavy : QColor(Qt::white));
    painter.setPen(selected ? Qt::white : Qt::black);
    painter.setFont(combo->font());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

void Navigator::PathComboChange(int index) {
    const int count = controls_.PathCombo->count();
    if (!state_.Folder || index < 0 || index == count - 1 || !state_.History->Current()) return;
    auto location = std::make_unique<MFolderPath>(*state_.History->Current());
    for (int i = 0; i < count - 1 - index; ++i) location->RemoveLastLevel();
    GotoLocation(std::move(location));
}

void Navigator::PathComboKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    GotoPathText(controls_.PathCombo->currentText());
}

void Navigator::GotoFolderPath(const QString& path) {
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

void Navigator::GotoPathText(const QString& path) {
    MExplorerItem item(path.toStdString());
    GotoLocation(std::make_unique<MFolderPath>(item.ParentFolder(), item.CopyLastId()));
}

}  // namespace pixelary
