// SPDX-License-Identifier: GPL-3.0-or-later
// The interface in English: every menu, the tool bar, the pop-up menu, the dialogs, the status
// bar, the information panel and the messages show no Chinese text once English is chosen.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

#include "cache/MCacheFile.h"
#include "fileops/FileTransfer.h"
#include "mainwindow/About.h"
#include "mainwindow/CommandTable.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/NewFolderDlg.h"
#include "mainwindow/OptionDlg.h"
#include "mainwindow/Strings.h"
#include "mainwindow/TestEnvironment.h"
#include "mainwindow/ViewGeometry.h"
#include "platform/InterfaceLanguage.h"
#include "print/PrintSettings.h"
#include "printdlg/MPrintDlg.h"
#include "printdlg/PrintFolders.h"
#include "printdlg/SelFrame.h"
#include "scan/ScanImg.h"

using namespace pixelary;
using testing::MakeFolder;
using testing::TestEnvironment;
using testing::WriteBmp;

namespace {

constexpr int kFirstStringId = 100;
constexpr int kLastStringId = 399;

// Chinese, Japanese and Korean characters, their punctuation and the full-width forms.
bool IsCjk(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

bool HasCjk(const QString& text) {
    for (const QChar c : text) {
        if (IsCjk(c.unicode())) return true;
    }
    return false;
}

// Texts gathered from the interface, each with where it was seen.
class Texts {
  public:
    void Add(const QString& where, const QString& text) {
        if (!text.isEmpty()) seen_ << where + QStringLiteral(": ") + text;
    }

    void AddActions(const QString& where, const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            const QString name = where + QLatin1Char('/') + action->objectName();
            Add(name, action->text());
            Add(name + QStringLiteral(" tip"), action->toolTip());
            Add(name + QStringLiteral(" status"), action->statusTip());
            if (QMenu* menu = action->menu()) {
                Add(name + QStringLiteral(" title"), menu->title());
                AddActions(name, menu->actions());
            }
        }
    }

    // Everything a widget and its children show: titles, labels, captions, items and tips.
    void AddWidget(QWidget* root) {
        QList<QWidget*> widgets = root->findChildren<QWidget*>();
        widgets.prepend(root);
        for (QWidget* w : widgets) {
            const QString name = root->objectName() + QLatin1Char('/') + w->objectName() +
                                 QLatin1Char('(') + w->metaObject()->className() + QLatin1Char(')');
            if (w->isWindow()) Add(name + QStringLiteral(" title"), w->windowTitle());
            Add(name + QStringLiteral(" tip"), w->toolTip());
            Add(name + QStringLiteral(" status"), w->statusTip());
            if (auto* label = qobject_cast<QLabel*>(w)) Add(name, label->text());
            if (auto* button = qobject_cast<QAbstractButton*>(w)) Add(name, button->text());
            if (auto* group = qobject_cast<QGroupBox*>(w)) Add(name, group->title());
            if (auto* edit = qobject_cast<QLineEdit*>(w)) Add(name, edit->placeholderText());
            if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                for (int i = 0; i < tabs->count(); ++i) Add(name, tabs->tabText(i));
            }
            if (auto* combo = qobject_cast<QComboBox*>(w)) {
                for (int i = 0; i < combo->count(); ++i) Add(name, combo->itemText(i));
            }
            AddActions(name, w->actions());
        }
    }

    bool Contains(const QString& text) const {
        for (const QString& entry : seen_) {
            if (entry.endsWith(QStringLiteral(": ") + text)) return true;
        }
        return false;
    }

    int Count() const { return static_cast<int>(seen_.size()); }

    QStringList Chinese() const {
        QStringList found;
        for (const QString& entry : seen_) {
            if (HasCjk(entry)) found << entry;
        }
        return found;
    }

  private:
    QStringList seen_;
};

#define VERIFY_ENGLISH(texts)                                                     \
    do {                                                                          \
        QVERIFY((texts).Count() > 0);                                             \
        const QStringList chinese = (texts).Chinese();                            \
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n')))); \
    } while (false)

constexpr int kDialogPollMs = 10;
constexpr int kScanTimeoutMs = 30000;
constexpr int kDialogPolls = 500;

// Runs `act` on the next modal dialog of type T once it is shown (a transfer runs events of its
// own before it asks, so the dialog may come a little later).
template <typename T>
void OnNextDialog(std::function<void(T&)> act, int pollsLeft = kDialogPolls) {
    QTimer::singleShot(kDialogPollMs, [act, pollsLeft] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(*dialog);
        } else if (pollsLeft > 0) {
            OnNextDialog<T>(act, pollsLeft - 1);
        }
    });
}

}  // namespace

class EnglishTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        TestEnvironment::TakeMessages();
        form_ = std::make_unique<TMainForm>();
        form_->resize(900, 700);
        form_->show();
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    void cleanup() { form_.reset(); }

    void menusOpenWithEnglishCaptions() {
        Texts texts;
        for (QAction* top : form_->MainMenu1->actions()) {
            if (!top->isVisible()) {
                texts.AddActions(QStringLiteral("hidden menu"), {top});
                continue;
            }
            QTest::mouseClick(form_->MainMenu1, Qt::LeftButton, {},
                              form_->MainMenu1->actionGeometry(top).center());
            QTRY_VERIFY(top->menu()->isVisible());
            texts.AddActions(QStringLiteral("menu bar"), {top});
            QTest::keyClick(top->menu(), Qt::Key_Escape);
            QTRY_VERIFY(!top->menu()->isVisible());
            ReturnActivation();
        }
        VERIFY_ENGLISH(texts);
        QVERIFY(texts.Contains(QStringLiteral("&File")));
        QVERIFY(texts.Contains(QStringLiteral("E&xit")));
        QVERIFY(texts.Contains(QStringLiteral("&Arrange By")));
    }

    // Every row of the command table, found where it was built: the menu-bar menus, their items
    // and submenus, the pop-up menu and the tool-bar buttons, hidden ones included.
    void everyCommandRowIsBuiltInEnglish() {
        Texts texts;
        int captions = 0;
        for (const Command& row : MainCommands()) {
            if (!row.caption) continue;
            ++captions;
            const QString name = QString::fromLatin1(row.objectName);
            const QString source = QString::fromUtf8(row.caption);
            QString shown;
            QString hint;
            if (row.flags & (command::kMenu | command::kSubmenu)) {
                auto* menu = form_->findChild<QMenu*>(name);
                QVERIFY2(menu, row.objectName);
                shown = menu->title();
                QCOMPARE(menu->menuAction()->text(), shown);
            } else if (row.flags & command::kButton) {
                auto* button = form_->MainTool->findChild<QToolButton*>(name);
                QVERIFY2(button, row.objectName);
                shown = button->text();
                hint = button->toolTip();
                QCOMPARE(button->statusTip(), hint);
            } else {
                auto* item = form_->findChild<QAction*>(name);
                QVERIFY2(item, row.objectName);
                shown = item->text();
                hint = item->statusTip();
            }
            // Translated, not merely copied from the table.
            QVERIFY2(shown != source, row.objectName);
            texts.Add(name, shown);
            if (row.hint) {
                QVERIFY2(!hint.isEmpty(), row.objectName);
                texts.Add(name + QStringLiteral(" hint"), hint);
            }
        }
        QVERIFY(captions >= 80);
        VERIFY_ENGLISH(texts);
        QCOMPARE(form_->CmViewSort->menu()->title(), QStringLiteral("&Arrange By"));
        QCOMPARE(form_->TwainBtn->toolTip(),
                 QStringLiteral("Acquire pictures from a TWAIN device"));
    }

    void popUpMenuAndToolBarAreEnglish() {
        const QString folder = PictureFolder(QStringLiteral("popup"));
        form_->GotoFolderPath(folder);
        QContextMenuEvent menuKey(QContextMenuEvent::Mouse, QPoint(300, 300),
                                  form_->ItemPaint->mapToGlobal(QPoint(300, 300)));
        QApplication::sendEvent(form_->ItemPaint, &menuKey);
        QTRY_VERIFY(form_->ItemPopupMenu->isVisible());
        Texts texts;
        texts.AddActions(QStringLiteral("pop-up"), form_->ItemPopupMenu->actions());
        QTest::keyClick(form_->ItemPopupMenu, Qt::Key_Escape);
        QTRY_VERIFY(!form_->ItemPopupMenu->isVisible());
        ReturnActivation();
        // The whole window: tool bar captions and tips, the path band, the status bar.
        texts.AddWidget(form_.get());
        VERIFY_ENGLISH(texts);
        QVERIFY(texts.Contains(QStringLiteral("Print the selected pictures")));
        QVERIFY(texts.Contains(QStringLiteral("Path:")));
    }

    void statusBarAndInformationPanelAreEnglish() {
        const QString folder = PictureFolder(QStringLiteral("info"));
        form_->GotoFolderPath(folder);
        ClickThumbnail(0);
        Texts texts;
        for (const InfoLine& line : form_->InfoPanelLines()) texts.Add("info", line.text);
        texts.Add(QStringLiteral("status 0"), form_->StatusBar->PanelText(0));
        texts.Add(QStringLiteral("status 1"), form_->StatusBar->PanelText(1));
        texts.Add(QStringLiteral("back"), form_->BackBtn->toolTip());
        VERIFY_ENGLISH(texts);
        QVERIFY(form_->StatusBar->PanelText(1).startsWith(QStringLiteral("Folders:")));
        QVERIFY(form_->InfoPanelLines().first().text.startsWith(QStringLiteral("Name:")));
    }

    void optionsNewFolderAndAboutDialogsAreEnglish() {
        form_->GotoFolderPath(MakeFolder(QStringLiteral("dialogs")));
        Texts texts;
        OnNextDialog<TOptionDlg>([&texts](TOptionDlg& dialog) {
            texts.AddWidget(&dialog);
            QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
        });
        OpenMenuItem(Qt::Key_V, Qt::Key_O);  // View, Options...
        OnNextDialog<TNewFolderDlg>([&texts](TNewFolderDlg& dialog) {
            texts.AddWidget(&dialog);
            QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
        });
        QTest::keyClick(form_.get(), Qt::Key_F, Qt::AltModifier);  // File, New, Folder
        QTest::keyClick(form_->FileMenu, Qt::Key_N);
        QMenu* fileNew = form_->CmFileNew->menu();
        QTRY_VERIFY(fileNew->isVisible());
        QTest::keyClick(fileNew, Qt::Key_F);
        ReturnActivation();
        OnNextDialog<TAboutBox>([&texts](TAboutBox& dialog) {
            texts.AddWidget(&dialog);
            QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        });
        OpenMenuItem(Qt::Key_H, Qt::Key_A);  // Help, About...
        VERIFY_ENGLISH(texts);
        QVERIFY(texts.Contains(QStringLiteral("Options")));
        QVERIFY(texts.Contains(QStringLiteral("Create New Folder")));
        QVERIFY(texts.Contains(QStringLiteral("About Glimmora")));
    }

    void printAndFrameDialogsAreEnglish() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(MakeFolder(QStringLiteral("print")) + "/out.pdf");
        TMPrintDlg dialog(printer, PrintFolders::ForProgram(), form_.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Texts texts;
        texts.AddWidget(&dialog);
        OnNextDialog<TSelFrameDlg>([&texts](TSelFrameDlg& frames) {
            texts.AddWidget(&frames);
            QTest::mouseClick(frames.CancelBtn, Qt::LeftButton);
        });
        dialog.PageControl->setCurrentIndex(0);
        QTest::mouseClick(dialog.FrameChangeBtn, Qt::LeftButton);
        VERIFY_ENGLISH(texts);
        QVERIFY(texts.Contains(QStringLiteral("Print Preview")));
        QVERIFY(texts.Contains(QStringLiteral("System default")));
        QVERIFY(texts.Contains(QStringLiteral("Top left")));
        QVERIFY(texts.Contains(QStringLiteral("Select Frame")));
    }

    void scanDialogIsEnglish() {
        form_->GotoFolderPath(MakeFolder(QStringLiteral("scan")));
        Texts texts;
        OnNextDialog<QDialog>([&texts](QDialog& dialog) {
            auto* scan = dynamic_cast<TScanImgDlg*>(&dialog);
            QVERIFY(scan);
            texts.AddWidget(scan);
            QTest::mouseClick(scan->CancelBtn, Qt::LeftButton);
        });
        OpenMenuItem(Qt::Key_F, Qt::Key_A);  // File, Acquire TWAIN Image...
        VERIFY_ENGLISH(texts);
        QVERIFY(texts.Contains(QStringLiteral("Input Image File")));
    }

    void messageBoxesAreEnglish() {
        const QString folder = PictureFolder(QStringLiteral("messages"));
        form_->GotoFolderPath(folder);
        Texts texts;
        // Nothing selected to print: a message of the string table.
        OpenMenuItem(Qt::Key_F, Qt::Key_P);
        // The trash confirmation, answered No.
        ClickThumbnail(0);
        bool asked = false;
        OnNextDialog<QMessageBox>([&texts, &asked](QMessageBox& box) {
            asked = true;
            texts.AddWidget(&box);
            QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
        });
        QTest::keyClick(form_->ItemPaint, Qt::Key_Delete);
        QVERIFY(asked);
        ReturnActivation();
        // Copying onto a picture of the same name asks before replacing it; cancelled.
        const QString other = MakeFolder(QStringLiteral("messages-copy"));
        WriteBmp(other + "/a.bmp", 8, 8, 0x102030);
        form_->FileOps.ChooseFolder = [other](const QString&, const QString&) { return other; };
        asked = false;
        bool progressSeen = false;
        OnNextDialog<QMessageBox>([this, &texts, &asked, &progressSeen](QMessageBox& box) {
            asked = true;
            texts.AddWidget(&box);
            // The transfer's progress dialog stands behind the question.
            if (auto* progress =
                    form_->findChild<QProgressDialog*>(QStringLiteral("TransferProgress"))) {
                progressSeen = true;
                texts.AddWidget(progress);
                texts.Add(QStringLiteral("progress"), progress->labelText());
            }
            QTest::mouseClick(box.button(QMessageBox::Cancel), Qt::LeftButton);
        });
        ClickThumbnail(0);  // declining the trash refreshed the view and its selection
        QTest::mouseClick(form_->CopyToBtn, Qt::LeftButton);
        QVERIFY(asked);
        QVERIFY(progressSeen);
        ReturnActivation();
        // The desktop cannot be told about the wallpaper.
        const QString out = MakeFolder(QStringLiteral("messages-wallpaper"));
        form_->FileOps.WallpaperFolder = [out] { return out; };
        form_->FileOps.DesktopName = [] { return std::string("unknown"); };
        form_->FileOps.HasProgram = [](const std::string&) { return false; };
        form_->FileOps.WallpaperPortal = [](const std::string&) { return false; };
        form_->FileOps.RunDesktopCommand = [](const fileops::DesktopCommand&) { return false; };
        ClickThumbnail(0);
        OpenMenuItem(Qt::Key_F, Qt::Key_W);
        QMessageBox* notice = form_->findChild<QMessageBox*>(QStringLiteral("WallpaperNotice"));
        QVERIFY(notice);
        texts.AddWidget(notice);
        notice->close();
        // Scanning is refused on the desktop.
        OpenMenuItem(Qt::Key_G, Qt::Key_D);
        OpenMenuItem(Qt::Key_F, Qt::Key_A);
        const QList<MessageRecord> messages = TestEnvironment::TakeMessages();
        QCOMPARE(messages.size(), 2);
        for (const MessageRecord& message : messages) {
            texts.Add(QStringLiteral("caption"), message.caption);
            texts.Add(QStringLiteral("message"), message.text);
        }
        VERIFY_ENGLISH(texts);
        QVERIFY(texts.Contains(QStringLiteral("Error")));
        QVERIFY(texts.Contains(QStringLiteral("Do you want to move “a.bmp” to the trash?")));
        QVERIFY(texts.Contains(QStringLiteral("Copying...")));
    }

    // A cache folder that turned into a file after it was chosen is told once, in English.
    void cacheNoticeIsEnglish() {
        const QString cache = MakeFolder(QStringLiteral("cache-notice"));
        form_->Cache->SetDirectory(cache.toStdString());
        QVERIFY(QDir().rmdir(cache));
        WriteBmp(cache, 8, 8, 0x000000);
        form_->Cache->Clear();
        form_->GotoFolderPath(PictureFolder(QStringLiteral("cache-notice-pictures")));
        QVERIFY(form_->WaitForScanner(kScanTimeoutMs));
        QMessageBox* notice = form_->findChild<QMessageBox*>(QStringLiteral("CacheNotice"));
        QVERIFY(notice);
        Texts texts;
        texts.AddWidget(notice);
        const QString text = notice->text();
        notice->close();
        VERIFY_ENGLISH(texts);
        QVERIFY(text.startsWith(QStringLiteral("Cannot write to the thumbnail cache")));
    }

    void stringTableAndLibraryMessagesAreEnglish() {
        Texts texts;
        for (int id = kFirstStringId; id <= kLastStringId; ++id) {
            texts.Add(QString::number(id), LoadStr(id));
        }
        QVERIFY(texts.Count() >= 20);
        texts.Add(QStringLiteral("style file"),
                  QCoreApplication::translate("Exception", kBadStyleFileMessage));
        fileops::FileTransfer transfer(fileops::TransferKind::Copy,
                                       {(TestEnvironment::Root() + "/none.bmp").toStdString()},
                                       TestEnvironment::Root().toStdString());
        texts.Add(QStringLiteral("transfer"), QString::fromStdString(transfer.Run({}).error));
        VERIFY_ENGLISH(texts);
        QVERIFY(texts.Contains(QStringLiteral("The print style file is damaged.")));
    }

    // Chosen again, Chinese gives the program's own texts back unchanged.
    void chineseStaysTheProgramsOwnTexts() {
        form_.reset();
        QVERIFY(platform::InstallInterfaceLanguage(platform::kChineseInterface));
        {
            TMainForm chinese;
            QCOMPARE(chinese.FileMenu->title(), QStringLiteral("檔案(&F)"));
            QCOMPARE(chinese.CmExit->text(), QStringLiteral("離開(&X)"));
            QCOMPARE(chinese.PrintBtn->toolTip(), QStringLiteral("列印選擇的圖檔"));
            QCOMPARE(chinese.PathBandLabel->text(), QStringLiteral("路徑:"));
            QCOMPARE(LoadStr(kStrErrorCaption), QStringLiteral("錯誤"));
        }
        QVERIFY(platform::InstallInterfaceLanguage(platform::kEnglishInterface));
        QCOMPARE(LoadStr(kStrErrorCaption), QStringLiteral("Error"));
    }

  private:
    // A folder of three small pictures.
    static QString PictureFolder(const QString& name) {
        const QString folder = MakeFolder(name);
        WriteBmp(folder + "/a.bmp", 8, 8, 0x336699);
        WriteBmp(folder + "/b.bmp", 8, 8, 0x993366);
        WriteBmp(folder + "/c.bmp", 8, 8, 0x669933);
        return folder;
    }

    // The offscreen platform leaves a closed menu the active window; a window system hands the
    // activation back to the window the menu belonged to.
    void ReturnActivation() {
        QCoreApplication::processEvents();
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    // A menu of the menu bar by its Alt key, then an item by its key.
    void OpenMenuItem(Qt::Key menuKey, Qt::Key itemKey) {
        QTest::keyClick(form_.get(), menuKey, Qt::AltModifier);
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QTest::keyClick(menu, itemKey);
        ReturnActivation();
    }

    void ClickThumbnail(int index) {
        const QPoint at =
            CellRect(form_->CurrentGrid(), index).topLeft() + cell::kThumbBox.center();
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, {}, at);
    }

    std::unique_ptr<TMainForm> form_;
};

int main(int argc, char* argv[]) {
    TestEnvironment::PrepareProcess();
    QApplication app(argc, argv);
    if (!platform::InstallInterfaceLanguage(platform::kEnglishInterface)) return 1;
    TestEnvironment::InstallNamespace();
    EnglishTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EnglishTest.moc"
