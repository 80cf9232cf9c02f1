// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command table: the rows themselves, and the menus, pop-up menu and tool bar
// built from them (places, captions, states, shortcuts, hints, radio sets, translation).
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>
#include <algorithm>
#include <span>

#include "mainwindow/CommandTable.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"

using namespace pixelary;

namespace {

enum State : unsigned { kPlain = 0, kHidden = 1, kDisabled = 2, kTicked = 4, kRadio = 8 };

// A row of the command table as it must be: where it goes, its name, caption, state, and its
// shortcut (items) or hint (buttons).
struct Expected {
    const char* group;
    const char* name;
    const char* caption;  // nullptr for separators, spacers and the pop-up menu
    unsigned state;
    const char* extra;
};

// Every command of the main window, in table order.
const QList<Expected> kExpected = {
    {"MainMenu1", "FileMenu", "檔案(&F)", kPlain, nullptr},
    {"FileMenu", "CmFileNew", "新增(&N)", kPlain, nullptr},
    {"CmFileNew", "CmNewFolder", "檔案夾(&F)", kPlain, nullptr},
    {"CmFileNew", "CmNewLink", "捷徑(&L)", kHidden | kDisabled, nullptr},
    {"FileMenu", "CmFileCopyTo", "複製到...", kPlain, nullptr},
    {"FileMenu", "CmFileMoveTo", "搬移到...", kPlain, nullptr},
    {"FileMenu", "CmFileDelete", "刪除(&D)", kPlain, nullptr},
    {"FileMenu", "CmFileRename", "重新命名(&R)...", kPlain, nullptr},
    {"FileMenu", "CmFileProperties", "內容(&P)...", kHidden | kDisabled, nullptr},
    {"FileMenu", "N10", nullptr, kPlain, nullptr},
    {"FileMenu", "CmFileSend", "傳送檔案至(&S)", kHidden, nullptr},
    {"CmFileSend", "CmSendToEMail", "電子郵件(&E)...", kDisabled, nullptr},
    {"CmFileSend", "CmSendToFTP", "FTP 站(&F)...", kDisabled, nullptr},
    {"FileMenu", "CmFileSetToDesk1", "設定為底色圖案(併排)(&W)", kPlain, nullptr},
    {"FileMenu", "CmFileSetToDesk2", "設定為底色圖案(置於中央)(&L)", kPlain, nullptr},
    {"FileMenu", "N4", nullptr, kPlain, nullptr},
    {"FileMenu", "CmFileTwainAcquire", "輸入TWAIN 影像(&A)...", kPlain, nullptr},
    {"FileMenu", "CmFilePrint", "列印(&P)...", kPlain, nullptr},
    {"FileMenu", "N1", nullptr, kPlain, nullptr},
    {"FileMenu", "CmExit", "離開(&X)", kPlain, "Alt+X"},
    {"MainMenu1", "EditMenu", "編輯(&E)", kPlain, nullptr},
    {"EditMenu", "CmCut", "剪下(&T)", kHidden | kDisabled, "Ctrl+X"},
    {"EditMenu", "CmCopy", "複製(&C)", kHidden | kDisabled, "Ctrl+C"},
    {"EditMenu", "CmPaste", "貼上(&P)", kHidden | kDisabled, "Ctrl+V"},
    {"EditMenu", "N6", nullptr, kHidden, nullptr},
    {"EditMenu", "CmSelectAll", "全選(&A)", kPlain, "Ctrl+A"},
    {"EditMenu", "CmSelectAllImage", "選擇所有圖檔(&I)", kPlain, nullptr},
    {"EditMenu", "CmSelectInvert", "反相選擇(&I)", kPlain, nullptr},
    {"EditMenu", "N5", nullptr, kHidden, nullptr},
    {"EditMenu", "CmLinkAttached", "連結附屬資料檔(&L)", kHidden | kDisabled, nullptr},
    {"EditMenu", "CmUnlinkAttached", "解除附屬資料檔(&U)", kHidden | kDisabled, nullptr},
    {"EditMenu", "CmAddMemo", "加入/修改註解文字(&M)", kHidden | kDisabled, nullptr},
    {"EditMenu", "CmAddSound", "加入聲音(&S)", kHidden | kDisabled, nullptr},
    {"MainMenu1", "SearchMenu", "搜尋(&S)", kHidden, nullptr},
    {"SearchMenu", "CmSearchText", "搜尋文字或數值(&T)...", kDisabled, nullptr},
    {"SearchMenu", "CmSearchFile", "搜尋檔案或資料夾(&F)...", kDisabled, nullptr},
    {"SearchMenu", "CmSearchComputer", "搜尋電腦(&C)...", kDisabled, nullptr},
    {"MainMenu1", "ViewMenu", "檢視(&V)", kPlain, nullptr},
    {"ViewMenu", "CmViewTool", "工具列(&T)", kTicked, nullptr},
    {"ViewMenu", "CmViewStatus", "狀態列(&S)", kTicked, nullptr},
    {"ViewMenu", "CmHideAttache", "隱藏附屬檔(&H)", kHidden | kDisabled, nullptr},
    {"ViewMenu", "N8", nullptr, kPlain, nullptr},
    {"ViewMenu", "CmViewNormal", "正常模式(&N)", kRadio | kTicked, nullptr},
    {"ViewMenu", "CmViewBrowse", "瀏覽模式(&B)", kRadio, nullptr},
    {"ViewMenu", "CmViewFull", "詳細資料(&F)", kRadio | kHidden | kDisabled, nullptr},
    {"ViewMenu", "N9", nullptr, kPlain, nullptr},
    {"ViewMenu", "CmViewSort", "排序方式(&A)", kPlain, nullptr},
    {"CmViewSort", "CmSortName", "檔名(&N)", kRadio | kTicked, nullptr},
    {"CmViewSort", "CmSortExt", "類型(&T)", kRadio, nullptr},
    {"CmViewSort", "CmSortSize", "大小(&S)", kRadio, nullptr},
    {"CmViewSort", "CmSortDate", "日期(&D)", kRadio, nullptr},
    {"CmViewSort", "N2", nullptr, kPlain, nullptr},
    {"CmViewSort", "CmSortMinMax", "由小到大", kRadio | kTicked, nullptr},
    {"CmViewSort", "CmSortMaxMin", "由大到小", kRadio, nullptr},
    {"ViewMenu", "N3", nullptr, kPlain, nullptr},
    {"ViewMenu", "CmViewRefresh", "重新整理(&R)", kPlain, nullptr},
    {"ViewMenu", "CmViewReloadIcon", "重新載圖(&L)", kPlain, nullptr},
    {"ViewMenu", "CmOption", "選項(&O)...", kPlain, nullptr},
    {"MainMenu1", "GotoMenu", "移至(&G)", kPlain, nullptr},
    {"GotoMenu", "CmGotoBack", "上一步(&B)", kPlain, nullptr},
    {"GotoMenu", "CmGotoFore", "下一步(&F)", kPlain, nullptr},
    {"GotoMenu", "CmGotoListStart", nullptr, kPlain, nullptr},
    {"GotoMenu", "CmGotoListEnd", nullptr, kPlain, nullptr},
    {"GotoMenu", "CmDesktop", "回到桌面(&D)", kPlain, nullptr},
    {"GotoMenu", "CmUpPath", "上移(&U)", kPlain, nullptr},
    {"MainMenu1", "ToolMenu", "工具(&T)", kHidden, nullptr},
    {"ToolMenu", "CmToolConvert", "轉換影像檔格式(&C)...", kDisabled, nullptr},
    {"ToolMenu", "CmToolEMailBook", "電子郵件通訊錄(&E)...", kDisabled, nullptr},
    {"ToolMenu", "CmToolFTPBook", "FTP 通訊錄(&F)...", kDisabled, nullptr},
    {"MainMenu1", "HelpMenu", "說明(&H)", kPlain, nullptr},
    {"HelpMenu", "CmAbout", "關於(&A)...", kPlain, nullptr},
    {nullptr, "ItemPopupMenu", nullptr, kPlain, nullptr},
    {"ItemPopupMenu", "CmPopSort", "排序方式(&A)", kPlain, nullptr},
    {"CmPopSort", "CmPopSortName", "檔名(&N)", kRadio | kTicked, nullptr},
    {"CmPopSort", "CmPopSortExt", "類型(&T)", kRadio, nullptr},
    {"CmPopSort", "CmPopSortSize", "大小(&S)", kRadio, nullptr},
    {"CmPopSort", "CmPopSortDate", "日期(&D)", kRadio, nullptr},
    {"CmPopSort", "N17", nullptr, kPlain, nullptr},
    {"CmPopSort", "CmPopSortMinMax", "由小到大", kRadio | kTicked, nullptr},
    {"CmPopSort", "CmPopSortMaxMin", "由大到小", kRadio, nullptr},
    {"ItemPopupMenu", "N7", nullptr, kHidden, nullptr},
    {"ItemPopupMenu", "CmPopCut", "剪下(&T)", kHidden | kDisabled, nullptr},
    {"ItemPopupMenu", "CmPopCopy", "複製(&C)", kHidden | kDisabled, nullptr},
    {"ItemPopupMenu", "CmPopPaste", "貼上(&P)", kHidden | kDisabled, nullptr},
    {"ItemPopupMenu", "N14", nullptr, kHidden, nullptr},
    {"ItemPopupMenu", "CmPopNew", "新增(&N)", kPlain, nullptr},
    {"CmPopNew", "CmPopNewFolder", "檔案夾(&F)", kPlain, nullptr},
    {"CmPopNew", "CmPopNewLink", "捷徑(&L)", kHidden | kDisabled, nullptr},
    {"ItemPopupMenu", "CmPopCopyTo", "複製到...", kPlain, nullptr},
    {"ItemPopupMenu", "CmPopMoveTo", "搬移到...", kPlain, nullptr},
    {"ItemPopupMenu", "CmPopDelete", "刪除(&D)", kPlain, nullptr},
    {"ItemPopupMenu", "CmPopRename", "重新命名(&R)...", kPlain, nullptr},
    {"ItemPopupMenu", "N13", nullptr, kHidden, nullptr},
    {"ItemPopupMenu", "CmPopPropert", "內容(&P)...", kHidden | kDisabled, nullptr},
    {"MainTool", "BackBtn", "上一步", kPlain, "回到上一個畫面"},
    {"MainTool", "ForeBtn", "下一步", kPlain, "跳到下一個畫面"},
    {"MainTool", "DesktopBtn", "桌面", kPlain, "回到桌面"},
    {"MainTool", "UpPathBtn", "上一層", kPlain, "回到上一層目錄"},
    {"MainTool", "PrintBtn", "列印", kPlain, "列印選擇的圖檔"},
    {"MainTool", "ToolButton1", nullptr, kPlain, nullptr},
    {"MainTool", "TwainBtn", "掃描影像", kPlain, "從TWAIN設備輸入影像"},
    {"MainTool", "CopyToBtn", "複製", kPlain, "複製選擇的檔案到指定的目錄"},
    {"MainTool", "MoveToBtn", "搬移", kPlain, "搬移選擇的檔案到指定的目錄"},
    {"MainTool", "DeleteBtn", "刪除", kPlain, "刪除選擇的檔案"},
};

QString Text(const char* utf8) {
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

unsigned StateOf(const Command& row) {
    unsigned state = kPlain;
    if (row.flags & command::kHidden) state |= kHidden;
    if (row.flags & command::kDisabled) state |= kDisabled;
    if (row.flags & command::kChecked) state |= kTicked;
    if (row.flags & (command::kRadio | command::kRadio2)) state |= kRadio;
    return state;
}

bool IsButtonRow(const Command& row) {
    return row.flags & (command::kButton | command::kSpacer);
}

QStringList Names(const QList<QAction*>& actions) {
    QStringList names;
    for (const QAction* action : actions) {
        // The history entries the Go menu gets at run time have no names.
        if (!action->objectName().isEmpty()) names << action->objectName();
    }
    return names;
}

// The names of the table's rows put into one group, in table order.
QStringList RowsIn(const char* group) {
    QStringList names;
    for (const Command& row : MainCommands()) {
        if (row.group && qstrcmp(row.group, group) == 0)
            names << QString::fromLatin1(row.objectName);
    }
    return names;
}

QString Translated(const char* text) {
    return text ? QCoreApplication::translate("Command", text) : QString();
}

// Marks every command text it translates, so a text shown untranslated stands out.
class MarkingTranslator : public QTranslator {
  public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, "Command") != 0) return {};
        return QLatin1Char('[') + QString::fromUtf8(source) + QLatin1Char(']');
    }
};

}  // namespace

class CommandTableTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { form_ = std::make_unique<TMainForm>(); }
    void cleanup() { form_.reset(); }

    void MenuBarOrderAndHiddenMenus() {
        QCOMPARE(Names(form_->MainMenu1->actions()),
                 QStringList({"FileMenu", "EditMenu", "SearchMenu", "ViewMenu", "GotoMenu",
                              "ToolMenu", "HelpMenu"}));
        QCOMPARE(form_->FileMenu->title(), QStringLiteral("檔案(&F)"));
        QCOMPARE(form_->EditMenu->title(), QStringLiteral("編輯(&E)"));
        QCOMPARE(form_->SearchMenu->title(), QStringLiteral("搜尋(&S)"));
        QCOMPARE(form_->ViewMenu->title(), QStringLiteral("檢視(&V)"));
        QCOMPARE(form_->GotoMenu->title(), QStringLiteral("移至(&G)"));
        QCOMPARE(form_->ToolMenu->title(), QStringLiteral("工具(&T)"));
        QCOMPARE(form_->HelpMenu->title(), QStringLiteral("說明(&H)"));
        QVERIFY(!form_->SearchMenu->menuAction()->isVisible());
        QVERIFY(!form_->ToolMenu->menuAction()->isVisible());
        QVERIFY(form_->ViewMenu->menuAction()->isVisible());
    }

    void TableHoldsTheExpectedCommands() {
        const std::span<const Command> table = MainCommands();
        QCOMPARE(qsizetype(table.size()), kExpected.size());
        for (qsizetype i = 0; i < kExpected.size(); ++i) {
            const Expected& expected = kExpected.at(i);
            const Command& row = table[static_cast<std::size_t>(i)];
            const QByteArray where = QByteArray(expected.name);
            QCOMPARE(QByteArray(row.objectName), where);
            QVERIFY2(Text(row.group) == Text(expected.group), where);
            QVERIFY2(Text(row.caption) == Text(expected.caption), where);
            QVERIFY2(StateOf(row) == expected.state, where);
            const char* extra = IsButtonRow(row) ? row.hint : row.shortcut;
            QVERIFY2(Text(extra) == Text(expected.extra), where);
        }
        // The one menu item with a hint.
        const auto exit = std::find_if(table.begin(), table.end(), [](const Command& row) {
            return qstrcmp(row.objectName, "CmExit") == 0;
        });
        QCOMPARE(Text(exit->hint), QStringLiteral("Exit application"));
    }

    void MenusAreBuiltAsTheTableSays() {
        QCOMPARE(Names(form_->MainMenu1->actions()), RowsIn("MainMenu1"));
        for (const Command& row : MainCommands()) {
            const QByteArray where = QByteArray(row.objectName);
            if (IsButtonRow(row) || !row.group) continue;
            const QString name = QString::fromLatin1(row.objectName);
            if (row.flags & command::kMenu) {
                auto* menu = form_->findChild<QMenu*>(name);
                QVERIFY2(menu && menu->title() == Translated(row.caption), where);
                QVERIFY2(menu->menuAction()->isVisible() == !(row.flags & command::kHidden), where);
                QCOMPARE(Names(menu->actions()), RowsIn(row.objectName));
                continue;
            }
            auto* container = form_->findChild<QMenu*>(QString::fromLatin1(row.group));
            QVERIFY2(container, where);
            const QList<QAction*> items = container->actions();
            const auto found = std::find_if(items.begin(), items.end(), [&](QAction* item) {
                return item->objectName() == name;
            });
            QVERIFY2(found != items.end(), where);
            const QAction* item = *found;
            QVERIFY2(item->isSeparator() == bool(row.flags & command::kSeparator), where);
            if (row.flags & command::kSubmenu) {
                QVERIFY2(item->menu() != nullptr, where);
                QCOMPARE(Names(item->menu()->actions()), RowsIn(row.objectName));
            }
            if (row.caption) QVERIFY2(item->text() == Translated(row.caption), where);
            QVERIFY2(item->isVisible() == !(row.flags & command::kHidden), where);
            // Qt also reports a hidden item as disabled, so it can never run either.
            const bool off = row.flags & (command::kHidden | command::kDisabled);
            QVERIFY2(item->isEnabled() == !off, where);
            QVERIFY2(item->isChecked() == bool(row.flags & command::kChecked), where);
            const QKeySequence shortcut(QString::fromLatin1(row.shortcut ? row.shortcut : ""));
            QVERIFY2(item->shortcut() == shortcut, where);
            QVERIFY2(item->statusTip() == Translated(row.hint), where);
            const bool radio = row.flags & (command::kRadio | command::kRadio2);
            QVERIFY2((item->actionGroup() != nullptr) == radio, where);
        }
        QCOMPARE(Names(form_->ItemPopupMenu->actions()), RowsIn("ItemPopupMenu"));
    }

    void RadioSetsAreSeparate() {
        QCOMPARE(form_->CmViewNormal->actionGroup(), form_->CmViewBrowse->actionGroup());
        QCOMPARE(form_->CmViewNormal->actionGroup(), form_->CmViewFull->actionGroup());
        QCOMPARE(form_->CmSortName->actionGroup(), form_->CmSortDate->actionGroup());
        QVERIFY(form_->CmSortName->actionGroup() != form_->CmSortMinMax->actionGroup());
        QCOMPARE(form_->CmSortMinMax->actionGroup(), form_->CmSortMaxMin->actionGroup());
        QVERIFY(form_->CmSortName->actionGroup() != form_->CmPopSortName->actionGroup());
        QCOMPARE(form_->CmPopSortName->actionGroup(), form_->CmPopSortDate->actionGroup());
        QVERIFY(form_->CmPopSortName->actionGroup() != form_->CmPopSortMinMax->actionGroup());
        QCOMPARE(form_->CmPopSortMinMax->actionGroup(), form_->CmPopSortMaxMin->actionGroup());
    }

    void MembersNameWhatTheTableMade() {
        QCOMPARE(form_->CmFileNew->objectName(), QStringLiteral("CmFileNew"));
        QCOMPARE(form_->CmFileNew->menu()->actions().first(), form_->CmNewFolder);
        QCOMPARE(form_->CmPopNew->menu()->actions().first(), form_->CmPopNewFolder);
        QCOMPARE(form_->CmViewSort->menu()->actions().last(), form_->CmSortMaxMin);
        QCOMPARE(form_->GotoMenu->actions().first(), form_->CmGotoBack);
        QCOMPARE(form_->HelpMenu->actions(), QList<QAction*>({form_->CmAbout}));
        QCOMPARE(form_->ItemPopupMenu->actions().last(), form_->CmPopPropert);
        QCOMPARE(form_->ToolButton1->parentWidget(), form_->MainTool);
        QCOMPARE(form_->DeleteBtn->objectName(), QStringLiteral("DeleteBtn"));
    }

    void CaptionsAndHintsAreTranslatedWhereBuilt() {
        form_.reset();
        MarkingTranslator marking;
        QCoreApplication::installTranslator(&marking);
        TMainForm form;
        QCoreApplication::removeTranslator(&marking);
        QCOMPARE(form.FileMenu->title(), QStringLiteral("[檔案(&F)]"));
        QCOMPARE(form.CmFileCopyTo->text(), QStringLiteral("[複製到...]"));
        QCOMPARE(form.CmPopDelete->text(), QStringLiteral("[刪除(&D)]"));
        QCOMPARE(form.CmViewSort->text(), QStringLiteral("[排序方式(&A)]"));
        QCOMPARE(form.CmExit->statusTip(), QStringLiteral("[Exit application]"));
        QCOMPARE(form.CopyToBtn->text(), QStringLiteral("[複製]"));
        QCOMPARE(form.CopyToBtn->toolTip(), QStringLiteral("[複製選擇的檔案到指定的目錄]"));
        // Without a translator the texts are the table's own.
        TMainForm plain;
        QCOMPARE(plain.FileMenu->title(), QStringLiteral("檔案(&F)"));
        QCOMPARE(plain.CopyToBtn->toolTip(), QStringLiteral("複製選擇的檔案到指定的目錄"));
    }

    void GotoMenuItems() {
        const QStringList names = Names(form_->GotoMenu->actions());
        // The desktop shown at start stands between the two markers.
        QCOMPARE(names.mid(0, 3), QStringList({"CmGotoBack", "CmGotoFore", "CmGotoListStart"}));
        QCOMPARE(names.mid(names.size() - 3),
                 QStringList({"CmGotoListEnd", "CmDesktop", "CmUpPath"}));
        QCOMPARE(form_->CmGotoBack->text(), QStringLiteral("上一步(&B)"));
        QCOMPARE(form_->CmGotoFore->text(), QStringLiteral("下一步(&F)"));
        QCOMPARE(form_->CmDesktop->text(), QStringLiteral("回到桌面(&D)"));
        QCOMPARE(form_->CmUpPath->text(), QStringLiteral("上移(&U)"));
        QVERIFY(form_->CmGotoListStart->isSeparator());
        QVERIFY(form_->CmGotoListEnd->isSeparator());
    }

    void ToolBarButtons() {
        struct ButtonSpec {
            const char* name;
            const char* caption;
            const char* hint;
        };
        const QList<ButtonSpec> specs = {{"BackBtn", "上一步", nullptr},
                                         {"ForeBtn", "下一步", nullptr},
                                         {"DesktopBtn", "桌面", "回到桌面"},
                                         {"UpPathBtn", "上一層", "回到上一層目錄"},
                                         {"PrintBtn", "列印", "列印選擇的圖檔"},
                                         {"ToolButton1", nullptr, nullptr},
                                         {"TwainBtn", "掃描影像", "從TWAIN設備輸入影像"},
                                         {"CopyToBtn", "複製", "複製選擇的檔案到指定的目錄"},
                                         {"MoveToBtn", "搬移", "搬移選擇的檔案到指定的目錄"},
                                         {"DeleteBtn", "刪除", "刪除選擇的檔案"}};
        const QList<QAction*> actions = form_->MainTool->actions();
        QCOMPARE(actions.size(), specs.size());
        for (int i = 0; i < specs.size(); ++i) {
            QWidget* widget = form_->MainTool->widgetForAction(actions.at(i));
            QCOMPARE(widget->objectName(), QString::fromLatin1(specs.at(i).name));
            auto* button = qobject_cast<QToolButton*>(widget);
            if (!specs.at(i).caption) {
                QVERIFY(!button);
                QCOMPARE(widget->width(), 4);
                continue;
            }
            QCOMPARE(button->text(), QString::fromUtf8(specs.at(i).caption));
            if (specs.at(i).hint) QCOMPARE(button->toolTip(), QString::fromUtf8(specs.at(i).hint));
            QCOMPARE(button->size(), QSize(67, 39));
            QCOMPARE(button->iconSize(), QSize(20, 20));
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QVERIFY(!button->icon().isNull());
        }
        QCOMPARE(form_->AboutBtn->size(), QSize(40, 40));
        QVERIFY(!form_->AboutBtn->icon().isNull());
    }

    void HiddenAndDisabledItemsNeverRun() {
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        QSignalSpy cut(form_->CmCut, &QAction::triggered);
        QSignalSpy copy(form_->CmCopy, &QAction::triggered);
        QSignalSpy paste(form_->CmPaste, &QAction::triggered);
        QSignalSpy selectAll(form_->CmSelectAll, &QAction::triggered);
        QTest::keyClick(form_.get(), Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(form_.get(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(form_.get(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(form_.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(cut.count(), 0);
        QCOMPARE(copy.count(), 0);
        QCOMPARE(paste.count(), 0);
        // The enabled shortcut does fire, so the silence above is not an artefact of the test.
        QCOMPARE(selectAll.count(), 1);

        // Items with a handler but hidden and disabled ignore even a direct trigger.
        form_->CmViewFull->trigger();
        QVERIFY(form_->CmViewNormal->isChecked());
        QCOMPARE(form_->ViewMode, int(kViewNormal));
        form_->CmHideAttache->trigger();
        QVERIFY(!form_->CmHideAttache->isChecked());
    }

    void AltXClosesTheWindow() {
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        QTest::keyClick(form_.get(), Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(!form_->isVisible());
    }

    void HintsGoToTheStatusBarSimpleText() {
        QStatusTipEvent tip(QStringLiteral("Exit application"));
        QApplication::sendEvent(form_.get(), &tip);
        QCOMPARE(form_->StatusBar->SimpleText(), QStringLiteral("Exit application"));
        // Panel 1 keeps its counts: the bar never enters simple mode.
        QVERIFY(form_->StatusBar->PanelText(1) != QStringLiteral("Exit application"));
    }

  private:
    std::unique_ptr<TMainForm> form_;
};

PIXELARY_QTEST_MAIN(CommandTableTest)
#include "CommandTableTest.moc"
