// SPDX-License-Identifier: GPL-3.0-or-later
// The command table made into the menu bar's menus, the pop-up menu and the tool bar's buttons:
// the one place where captions are translated and shortcuts, hints, radio sets and the hidden
// and disabled states are applied.
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <cstring>
#include <map>
#include <type_traits>
#include <utility>
#include <variant>

#include "mainwindow/CommandTable.h"
#include "mainwindow/Main.h"

namespace pixelary {
namespace {

using namespace command;

constexpr QSize kToolButtonSize{67, 39};
constexpr QSize kToolImageSize{20, 20};
constexpr int kToolSeparatorWidth = 4;
constexpr const char* kToolBarGroup = "MainTool";

QString Translated(const char* text) {
    return text ? QCoreApplication::translate("Command", text) : QString();
}

QString Name(const Command& row) {
    return QString::fromLatin1(row.objectName);
}

bool InToolBar(const Command& row) {
    return row.group && std::strcmp(row.group, kToolBarGroup) == 0;
}

// Makes the rows of one pass into objects of the main window and keeps them in its members.
class CommandBuilder {
  public:
    explicit CommandBuilder(TMainForm& form) : form_(form) {}

    void Build(const Command& row) {
        if (row.flags & kMenu) return Keep(row, AddMenu(row));
        if (row.flags & kPopup) return Keep(row, AddPopup(row));
        if (row.flags & kSubmenu) return Keep(row, AddSubmenu(row));
        if (row.flags & kSeparator) return Keep(row, AddSeparator(row));
        if (row.flags & kButton) return Keep(row, AddButton(row));
        if (row.flags & kSpacer) return Keep(row, AddSpacer(row));
        Keep(row, AddItem(row));
    }

  private:
    QMenu* Container(const Command& row) const { return menus_.at(QString::fromLatin1(row.group)); }

    QMenu* AddMenu(const Command& row) {
        auto* menu = new QMenu(Translated(row.caption), form_.MainMenu1);
        menu->setObjectName(Name(row));
        QAction* item = form_.MainMenu1->addMenu(menu);
        item->setObjectName(Name(row));
        item->setVisible(!(row.flags & kHidden));
        menus_[Name(row)] = menu;
        return menu;
    }

    QMenu* AddPopup(const Command& row) {
        auto* menu = new QMenu(&form_);
        menu->setObjectName(Name(row));
        menus_[Name(row)] = menu;
        return menu;
    }

    QAction* AddSubmenu(const Command& row) {
        QMenu* parent = Container(row);
        auto* submenu = new QMenu(Translated(row.caption), parent);
        submenu->setObjectName(Name(row));
        QAction* item = parent->addMenu(submenu);
        item->setObjectName(Name(row));
        item->setVisible(!(row.flags & kHidden));
        menus_[Name(row)] = submenu;
        return item;
    }

    QAction* AddSeparator(const Command& row) {
        QAction* separator = Container(row)->addSeparator();
        separator->setObjectName(Name(row));
        separator->setVisible(!(row.flags & kHidden));
        return separator;
    }

    QAction* AddItem(const Command& row) {
        auto* action = new QAction(Translated(row.caption), &form_);
        action->setObjectName(Name(row));
        QMenu* menu = Container(row);
        menu->addAction(action);
        ConnectHandler(action, row.handler);
        if (row.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        if (row.hint) action->setStatusTip(Translated(row.hint));
        const unsigned radio = row.flags & (kRadio | kRadio2);
        action->setCheckable((row.flags & kCheckable) || radio);
        if (radio) action->setActionGroup(RadioSet(menu, radio));
        action->setChecked(row.flags & kChecked);
        // A hidden or disabled item never runs, not even through its shortcut.
        if (row.flags & kDisabled) action->setEnabled(false);
        if (row.flags & kHidden) action->setVisible(false);
        return action;
    }

    QToolButton* AddButton(const Command& row) {
        auto* button = new QToolButton(form_.MainTool);
        button->setObjectName(Name(row));
        button->setText(Translated(row.caption));
        button->setIcon(QIcon(QPixmap(QStringLiteral(":/icons/%1.png").arg(row.icon))));
        button->setIconSize(kToolImageSize);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFixedSize(kToolButtonSize);
        button->setAutoRaise(true);
        button->setToolTip(Translated(row.hint));
        button->setStatusTip(Translated(row.hint));
        if (row.handler.plain)
            QObject::connect(button, &QToolButton::clicked, &form_, row.handler.plain);
        form_.MainTool->addWidget(button);
        return button;
    }

    QWidget* AddSpacer(const Command& row) {
        auto* spacer = new QWidget(form_.MainTool);
        spacer->setObjectName(Name(row));
        spacer->setFixedWidth(kToolSeparatorWidth);
        form_.MainTool->addWidget(spacer);
        return spacer;
    }

    void ConnectHandler(QAction* action, const CommandHandler& handler) {
        if (handler.plain) {
            QObject::connect(action, &QAction::triggered, &form_, handler.plain);
        } else if (handler.withItem) {
            QObject::connect(
                action, &QAction::triggered, &form_,
                [form = &form_, action, run = handler.withItem] { (form->*run)(action); });
        }
    }

    // Each menu has up to two sets of radio items.
    QActionGroup* RadioSet(QMenu* menu, unsigned set) {
        QActionGroup*& group = radioSets_[{menu, set}];
        if (!group) group = new QActionGroup(&form_);
        return group;
    }

    // Stores what the row made in the main-window member the row names, if any.
    template <typename Made>
    void Keep(const Command& row, Made* made) {
        std::visit(
            [this, made](auto member) {
                using Member = decltype(member);
                if constexpr (!std::is_same_v<Member, std::monostate>) {
                    using Slot = std::remove_reference_t<decltype(form_.*member)>;
                    if constexpr (std::is_convertible_v<Made*, Slot>) form_.*member = made;
                }
            },
            row.member);
    }

    TMainForm& form_;
    std::map<QString, QMenu*> menus_;
    std::map<std::pair<QMenu*, unsigned>, QActionGroup*> radioSets_;
};

}  // namespace

void TMainForm::BuildCommands(bool toolBar) {
    if (!toolBar) {
        MainMenu1 = new QMenuBar(this);
        MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
        setMenuBar(MainMenu1);
    }
    CommandBuilder builder(*this);
    for (const Command& row : MainCommands()) {
        if (InToolBar(row) == toolBar) builder.Build(row);
    }
}

}  // namespace pixelary
