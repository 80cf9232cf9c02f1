// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShellIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>
#include <QThread>

#include "platform/DibImage.h"

namespace pixelary::platform {

namespace {

constexpr char kFolderMime[] = "inode/directory";
constexpr char kPreferredTheme[] = "Adwaita";
constexpr char kBaseTheme[] = "hicolor";

int SideOf(shell::IconSize size) {
    return size == shell::IconSize::Small ? kSmallIconSide : kLargeIconSide;
}

// QIcon and QPixmap belong to the GUI thread of a running QGuiApplication.
bool CanUseThemeIcons() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Without a desktop session (offscreen, minimal) no theme is named and only Qt's own icons are
// searched; the themes installed in the XDG data folders still give the user's kind of icons.
void EnsureIconTheme() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!QIcon::themeName().isEmpty()) return;
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir : QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                        "icons", QStandardPaths::LocateDirectory)) {
        if (!paths.contains(dir)) paths << dir;
    }
    QIcon::setThemeSearchPaths(paths);
    for (const QString& theme : {QString(kPreferredTheme), QString(kBaseTheme)}) {
        for (const QString& dir : paths) {
            if (QFileInfo::exists(dir + "/" + theme + "/index.theme")) {
                QIcon::setThemeName(theme);
                return;
            }
        }
    }
}

QStringList ThemeNames(NodeKind kind, const std::string& path) {
    switch (kind) {
        case NodeKind::Desktop:
            return {"user-desktop", "folder"};
        case NodeKind::Computer:
            return {"computer", "drive-harddisk", "folder"};
        case NodeKind::Home:
            return {"user-home", "folder"};
        case NodeKind::Volume:
            return {"drive-harddisk", "folder"};
        case NodeKind::Folder:
            return {"folder", "inode-directory"};
        case NodeKind::File: {
            const QMimeType mime = QMimeDatabase().mimeTypeForFile(QString::fromStdString(path),
                                                                   QMimeDatabase::MatchExtension);
            return {mime.iconName(), mime.genericIconName(), "text-x-generic",
                    "application-x-generic"};
        }
    }
    return {};
}

QImage ThemeIcon(NodeKind kind, const std::string& path, int side) {
    EnsureIconTheme();
    for (const QString& name : ThemeNames(kind, path)) {
        const QIcon icon = QIcon::fromTheme(name);
        if (icon.isNull()) continue;
        const QPixmap pixmap = icon.pixmap(QSize(side, side));
        if (!pixmap.isNull()) return pixmap.toImage().scaled(side, side, Qt::KeepAspectRatio);
    }
    return {};
}

// Built-in drawings: a folder, a sheet of paper, a monitor or a drive, in plain shapes.
void DrawFolder(QPainter& painter, qreal s) {
    QPainterPath tab;
    tab.addRoundedRect(QRectF(0.06 * s, 0.16 * s, 0.42 * s, 0.2 * s), 0.04 * s, 0.04 * s);
    painter.setBrush(QColor(0xD9, 0xA4, 0x1E));
    painter.setPen(QPen(QColor(0x8A, 0x64, 0x0A), 1));
    painter.drawPath(tab);
    painter.setBrush(QColor(0xF5, 0xC2, 0x3C));
    painter.drawRoundedRect(QRectF(0.06 * s, 0.28 * s, 0.88 * s, 0.58 * s), 0.05 * s, 0.05 * s);
}

void DrawSheet(QPainter& painter, qreal s) {
    QPainterPath sheet;
    sheet.moveTo(0.2 * s, 0.06 * s);
    sheet.lineTo(0.62 * s, 0.06 * s);
    sheet.lineTo(0.82 * s, 0.26 * s);
    sheet.lineTo(0.82 * s, 0.94 * s);
    sheet.lineTo(0.2 * s, 0.94 * s);
    sheet.closeSubpath();
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    painter.drawPath(sheet);
    painter.drawLine(QPointF(0.62 * s, 0.06 * s), QPointF(0.62 * s, 0.26 * s));
    painter.drawLine(QPointF(0.62 * s, 0.26 * s), QPointF(0.82 * s, 0.26 * s));
}

void DrawMonitor(QPainter& painter, qreal s) {
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    painter.setBrush(QColor(0x40, 0x70, 0xB0));
    painter.drawRect(QRectF(0.08 * s, 0.12 * s, 0.84 * s, 0.56 * s));
    painter.setBrush(QColor(0x80, 0x80, 0x80));
    painter.drawRect(QRectF(0.3 * s, 0.78 * s, 0.4 * s, 0.1 * s));
}

void DrawDrive(QPainter& painter, qreal s) {
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    painter.setBrush(QColor(0xB0, 0xB0, 0xB0));
    painter.drawRoundedRect(QRectF(0.06 * s, 0.32 * s, 0.88 * s, 0.38 * s), 0.06 * s, 0.06 * s);
    painter.setBrush(QColor(0x30, 0xC0, 0x30));
    painter.drawEllipse(QRectF(0.74 * s, 0.46 * s, 0.1 * s, 0.1 * s));
}

QImage DrawnIcon(NodeKind kind, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    switch (kind) {
        case NodeKind::Computer:
            DrawMonitor(painter, s);
            break;
        case NodeKind::Volume:
            DrawDrive(painter, s);
            break;
        case NodeKind::File:
            DrawSheet(painter, s);
            break;
        default:
            DrawFolder(painter, s);
            break;
    }
    return image;
}

}  // namespace

Dib IconFor(NodeKind kind, const std::string& path, shell::IconSize size) {
    const int side = SideOf(size);
    QImage image;
    if (CanUseThemeIcons()) image = ThemeIcon(kind, path, side);
    if (image.isNull()) image = DrawnIcon(kind, side);
    return QImageToDib(image);
}

std::string TypeNameFor(NodeKind kind, const std::string& path) {
    const QMimeDatabase database;
    const QMimeType mime = kind == NodeKind::File
                               ? database.mimeTypeForFile(QString::fromStdString(path))
                               : database.mimeTypeForName(kFolderMime);
    return mime.isValid() ? mime.comment().toStdString() : std::string();
}

}  // namespace pixelary::platform
