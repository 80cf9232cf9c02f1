// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <variant>

class QAction;
class QMenu;
class QToolButton;
class QWidget;

namespace pixelary {

class TMainForm;

// What a command row makes (one kind) and its state at start (any of the rest).
namespace command {
enum Flag : unsigned {
    kItem = 0,              // a menu item
    kMenu = 1u << 0,        // a menu of the menu bar; its items name it as their group
    kSubmenu = 1u << 1,     // an item opening a submenu; its items name it as their group
    kPopup = 1u << 2,       // a pop-up menu of its own
    kSeparator = 1u << 3,   // a menu separator
    kButton = 1u << 4,      // a tool-bar button
    kSpacer = 1u << 5,      // a gap between tool-bar buttons
    kHidden = 1u << 8,      // never shown, and so never run
    kDisabled = 1u << 9,    // shown greyed, never run
    kCheckable = 1u << 10,  // shows a tick mark
    kChecked = 1u << 11,    // ticked at start
    kRadio = 1u << 12,      // one of the group's first radio set (ticks exclude each other)
    kRadio2 = 1u << 13,     // one of the group's second radio set
};
}  // namespace command

// The handler a command runs: a main-window member, with or without the item that ran it.
struct CommandHandler {
    using Plain = void (TMainForm::*)();
    using WithItem = void (TMainForm::*)(QAction*);
    constexpr CommandHandler() = default;
    constexpr CommandHandler(Plain handler) : plain(handler) {}
    constexpr CommandHandler(WithItem handler) : withItem(handler) {}
    Plain plain = nullptr;
    WithItem withItem = nullptr;
};

// The main-window member that keeps what a row made, when the rest of the program names it.
using CommandMember = std::variant<std::monostate, QAction * TMainForm::*, QMenu * TMainForm::*,
                                   QToolButton * TMainForm::*, QWidget * TMainForm::*>;

// One row of the command table. Captions and hints are the untranslated texts, marked for
// translation in the "Command" context and translated where the menus are built.
struct Command {
    const char* objectName;
    const char* caption = nullptr;   // none for separators and spacers
    const char* shortcut = nullptr;  // portable key text, e.g. "Ctrl+A"
    const char* hint = nullptr;      // status-bar hint; a button's tool tip too
    const char* group = nullptr;     // what it is put in: "MainMenu1", a menu, or "MainTool"
    unsigned flags = command::kItem;
    CommandHandler handler;
    const char* icon = nullptr;  // a button's image among the program's icons
    CommandMember member;
};

// The main window's menus, pop-up menu and tool bar, in the order they are built: every group
// comes before its rows.
std::span<const Command> MainCommands();

}  // namespace pixelary
