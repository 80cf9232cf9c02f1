// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command table: menus, items, states, shortcuts, pop-up menu and tool bar.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"

using namespace pixelary;

namespace {

enum State : unsigned { kPlain = 0, kHidden = 1, kDisabled = 2, kTicked = 4, kRadio = 8 };

struct ItemSpec {
    const char* name;
    const char* caption;  // nullptr for a separator
    unsigned state;
    const char* shortcut;
};

QStringList Names(const QList<QAction*>& actions) {
    QStringList names;
    for (const QAction* action : actions) names << action->objectName();
    return names;
}

void CheckItems(QMenu* menu, const QList<ItemSpec>& specs) {
    QStringList expected;
    for (const ItemSpec& spec : specs) expected << QString::fromLatin1(spec.name);
    QCOMPARE(Names(menu->actions()), expected);
    for (const ItemSpec& spec : specs) {
        const QAction* item = menu->actions().at(expected.indexOf(QLatin1String(spec.name)));
        const QByteArray where = QByteArray(spec.name);
        QVERIFY2(item->isSeparator() == (spec.caption == nullptr), where);
        if (spec.caption) QVERIFY2(item->text() == QString::fromUtf8(spec.caption), where);
        QVERIFY2(item->isVisible() == !(spec.state & kHidden), where);
        // Qt also reports a hidden item as disabled, so it can never run either.
        QVERIFY2(item->isEnabled() == !(spec.state & (kDisabled | kHidden)), where);
        QVERIFY2(item->isChecked() == bool(spec.state & kTicked), where);
        if (spec.state & kRadio) QVERIFY2(item->actionGroup() != nullptr, where);
        const QKeySequence shortcut(QString::fromLatin1(spec.shortcut ? spec.shortcut : ""));
        QVERIFY2(item->shortcut() == shortcut, where);
    }
}

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

    void FileMenuItems() {
        CheckItems(form_->FileMenu,
                   {{"CmFileNew", "新增(&N)", kPlain, nullptr},
                    {"CmFileCopyTo", "複製到...", kPlain, nullptr},
                    {"CmFileMoveTo", "搬移到...", kPlain, nullptr},
                    {"CmFileDelete", "刪除(&D)", kPlain, nullptr},
                    {"CmFileRename", "重新命名(&R)...", kPlain, nullptr},
                    {"CmFileProperties", "內容(&P)...", kHidden | kDisabled, nullptr},
                    {"N10", nullptr, kPlain, nullptr},
                    {"CmFileSend", "傳送檔案至(&S)", kHidden, nullptr},
                    {"CmFileSetToDesk1", "設定為底色圖案(併排)(&W)", kPlain, nullptr},
                    {"CmFileSetToDesk2", "設定為底色圖案(置於中央)(&L)", kPlain, nullptr},
                    {"N4", nullptr, kPlain, nullptr},
                    {"CmFileTwainAcquire", "輸入TWAIN 影像(&A)...", kPlain, nullptr},
                    {"CmFilePrint", "列印(&P)...", kPlain, nullptr},
                    {"N1", nullptr, kPlain, nullptr},
                    {"CmExit", "離開(&X)", kPlain, "Alt+X"}});
        CheckItems(form_->CmFileNew->menu(),
                   {{"CmNewFolder", "檔案夾(&F)", kPlain, nullptr},
                    {"CmNewLink", "捷徑(&L)", kHidden | kDisabled, nullptr}});
        CheckItems(form_->CmFileSend->menu(),
                   {{"CmSendToEMail", "電子郵件(&E)...", kDisabled, nullptr},
                    {"CmSendToFTP", "FTP 站(&F)...", kDisabled, nullptr}});
        QCOMPARE(form_->CmExit->statusTip(), QStringLiteral("Exit application"));
    }

    void EditSearchToolAndHelpMenuItems() {
        CheckItems(form_->EditMenu,
                   {{"CmCut", "剪下(&T)", kHidden | kDisabled, "Ctrl+X"},
                    {"CmCopy", "複製(&C)", kHidden | kDisabled, "Ctrl+C"},
                    {"CmPaste", "貼上(&P)", kHidden | kDisabled, "Ctrl+V"},
                    {"N6", nullptr, kHidden, nullptr},
                    {"CmSelectAll", "全選(&A)", kPlain, "Ctrl+A"},
                    {"CmSelectAllImage", "選擇所有圖檔(&I)", kPlain, nullptr},
                    {"CmSelectInvert", "反相選擇(&I)", kPlain, nullptr},
                    {"N5", nullptr, kHidden, nullptr},
                    {"CmLinkAttached", "連結附屬資料檔(&L)", kHidden | kDisabled, nullptr},
                    {"CmUnlinkAttached", "解除附屬資料檔(&U)", kHidden | kDisabled, nullptr},
                    {"CmAddMemo", "加入/修改註解文字(&M)", kHidden | kDisabled, nullptr},
                    {"CmAddSound", "加入聲音(&S)", kHidden | kDisabled, nullptr}});
        CheckItems(form_->SearchMenu,
                   {{"CmSearchText", "搜尋文字或數值(&T)...", kDisabled, nullptr},
                    {"CmSearchFile", "搜尋檔案或資料夾(&F)...", kDisabled, nullptr},
                    {"CmSearchComputer", "搜尋電腦(&C)...", kDisabled, nullptr}});
        CheckItems(form_->ToolMenu,
                   {{"CmToolConvert", "轉換影像檔格式(&C)...", kDisabled, nullptr},
                    {"CmToolEMailBook", "電子郵件通訊錄(&E)...", kDisabled, nullptr},
                    {"CmToolFTPBook", "FTP 通訊錄(&F)...", kDisabled, nullptr}});
        CheckItems(form_->HelpMenu, {{"CmAbout", "關於(&A)...", kPlain, nullptr}});
    }

    void ViewMenuItemsAndRadioGroups() {
        CheckItems(form_->ViewMenu,
                   {{"CmViewTool", "工具列(&T)", kTicked, nullptr},
                    {"CmViewStatus", "狀態列(&S)", kTicked, nullptr},
                    {"CmHideAttache", "隱藏附屬檔(&H)", kHidden | kDisabled, nullptr},
                    {"N8", nullptr, kPlain, nullptr},
                    {"CmViewNormal", "正常模式(&N)", kRadio | kTicked, nullptr},
                    {"CmViewBrowse", "瀏覽模式(&B)", kRadio, nullptr},
                    {"CmViewFull", "詳細資料(&F)", kRadio | kHidden | kDisabled, nullptr},
                    {"N9", nullptr, kPlain, nullptr},
                    {"CmViewSort", "排序方式(&A)", kPlain, nullptr},
                    {"N3", nullptr, kPlain, nullptr},
                    {"CmViewRefresh", "重新整理(&R)", kPlain, nullptr},
                    {"CmViewReloadIcon", "重新載圖(&L)", kPlain, nullptr},
                    {"CmOption", "選項(&O)...", kPlain, nullptr}});
        CheckItems(form_->CmViewSort->menu(),
                   {{"CmSortName", "檔名(&N)", kRadio | kTicked, nullptr},
                    {"CmSortExt", "類型(&T)", kRadio, nullptr},
                    {"CmSortSize", "大小(&S)", kRadio, nullptr},
                    {"CmSortDate", "日期(&D)", kRadio, nullptr},
                    {"N2", nullptr, kPlain, nullptr},
                    {"CmSortMinMax", "由小到大", kRadio | kTicked, nullptr},
                    {"CmSortMaxMin", "由大到小", kRadio, nullptr}});
        QCOMPARE(form_->CmViewNormal->actionGroup(), form_->CmViewBrowse->actionGroup());
        QCOMPARE(form_->CmSortName->actionGroup(), form_->CmSortDate->actionGroup());
        QVERIFY(form_->CmSortName->actionGroup() != form_->CmSortMinMax->actionGroup());
        QCOMPARE(form_->CmSortMinMax->actionGroup(), form_->CmSortMaxMin->actionGroup());
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

    void PopupMenuItems() {
        CheckItems(form_->ItemPopupMenu,
                   {{"CmPopSort", "排序方式(&A)", kPlain, nullptr},
                    {"N7", nullptr, kHidden, nullptr},
                    {"CmPopCut", "剪下(&T)", kHidden | kDisabled, nullptr},
                    {"CmPopCopy", "複製(&C)", kHidden | kDisabled, nullptr},
                    {"CmPopPaste", "貼上(&P)", kHidden | kDisabled, nullptr},
                    {"N14", nullptr, kHidden, nullptr},
                    {"CmPopNew", "新增(&N)", kPlain, nullptr},
                    {"CmPopCopyTo", "複製到...", kPlain, nullptr},
                    {"CmPopMoveTo", "搬移到...", kPlain, nullptr},
                    {"CmPopDelete", "刪除(&D)", kPlain, nullptr},
                    {"CmPopRename", "重新命名(&R)...", kPlain, nullptr},
                    {"N13", nullptr, kHidden, nullptr},
                    {"CmPopPropert", "內容(&P)...", kHidden | kDisabled, nullptr}});
        CheckItems(form_->CmPopSort->menu(),
                   {{"CmPopSortName", "檔名(&N)", kRadio | kTicked, nullptr},
                    {"CmPopSortExt", "類型(&T)", kRadio, nullptr},
                    {"CmPopSortSize", "大小(&S)", kRadio, nullptr},
                    {"CmPopSortDate", "日期(&D)", kRadio, nullptr},
                    {"N17", nullptr, kPlain, nullptr},
                    {"CmPopSortMinMax", "由小到大", kRadio | kTicked, nullptr},
                    {"CmPopSortMaxMin", "由大到小", kRadio, nullptr}});
        CheckItems(form_->CmPopNew->menu(),
                   {{"CmPopNewFolder", "檔案夾(&F)", kPlain, nullptr},
                    {"CmPopNewLink", "捷徑(&L)", kHidden | kDisabled, nullptr}});
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
