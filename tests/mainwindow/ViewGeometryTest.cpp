// SPDX-License-Identifier: GPL-3.0-or-later
// Grid layout, hit tests, picture fitting, text shortening and the panel texts.
#include <QtTest>

#include "core/DosDateTime.h"
#include "mainwindow/Strings.h"
#include "mainwindow/TestEnvironment.h"
#include "mainwindow/ViewGeometry.h"

using namespace pixelary;

namespace {

// Every character is 6 pixels wide, names are 12 pixels high.
int FixedWidth(const QString& text) {
    return static_cast<int>(text.size()) * 6;
}
QSize NameOfWidth(int width) {
    return QSize(width, 12);
}

}  // namespace

class ViewGeometryTest : public QObject {
    Q_OBJECT
  private slots:
    void StringTableHoldsEveryId() {
        QCOMPARE(LoadStr(100), QStringLiteral("回到 "));
        QCOMPARE(LoadStr(101), QStringLiteral("進到 "));
        QCOMPARE(LoadStr(200), QStringLiteral("錯誤"));
        QCOMPARE(LoadStr(201), QStringLiteral("選擇的檔案中有無法列印的項目"));
        QCOMPARE(LoadStr(202), QStringLiteral("未選擇要列印的檔案"));
        QCOMPARE(LoadStr(203), QStringLiteral("系統沒有可用的印表機"));
        QCOMPARE(LoadStr(204), QStringLiteral("沒選擇檔案或檔案類型不能做為桌面"));
        QCOMPARE(LoadStr(209), QStringLiteral("目前所在的資料夾不能存檔"));
        const QStringList labels = {"名稱:", "大小:",   "日期:",     "時間:",        "類型:",
                                    "註解:", "檔案夾:", "  檔案數:", "  巳選擇項目:"};
        for (int i = 0; i < labels.size(); ++i) QCOMPARE(LoadStr(300 + i), labels.at(i));
        QVERIFY(!LoadStr(309).isEmpty());
        QVERIFY(!LoadStr(310).isEmpty());
        QCOMPARE(LoadStr(311), QStringLiteral("選擇目的目錄"));
        QVERIFY(LoadStr(205).isEmpty());
    }

    void ErrorBoxIsCaptionedError() {
        testing::TestEnvironment::TakeMessages();
        ErrorBox(nullptr, kStrCannotSaveHere, MessageIcon::Stop);
        const QList<MessageRecord> shown = testing::TestEnvironment::TakeMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).caption, QStringLiteral("錯誤"));
        QCOMPARE(shown.at(0).text, QStringLiteral("目前所在的資料夾不能存檔"));
    }

    void NarrowViewHasOneColumnAsWideAsTheCell() {
        const GridLayout grid = ArrangeGrid(kViewNormal, 5, QSize(60, 300));
        QCOMPARE(grid.Columns, 1);
        QCOMPARE(grid.Rows, 5);
        QCOMPARE(grid.GridLeft, 0);
        QCOMPARE(grid.PaintSize, QSize(110, 610));
        QCOMPARE(grid.LineStep, 61);
    }

    void GridIsCentredInWideView() {
        // 500 / 110 = 4 columns, 440 wide, 30 left over on each side.
        const GridLayout grid = ArrangeGrid(kViewBrowse, 9, QSize(500, 200));
        QCOMPARE(grid.Columns, 4);
        QCOMPARE(grid.Rows, 3);
        QCOMPARE(grid.GridWidth, 440);
        QCOMPARE(grid.GridHeight, 366);
        QCOMPARE(grid.GridLeft, 30);
        QCOMPARE(grid.PaintSize, QSize(500, 366));
        QCOMPARE(CellRect(grid, 0), QRect(30, 0, 110, 122));
        QCOMPARE(CellRect(grid, 5), QRect(140, 122, 110, 122));
    }

    void DetailsModeUsesWideCellsWithoutCentring() {
        const GridLayout grid = ArrangeGrid(kViewDetails, 3, QSize(700, 100));
        QCOMPARE(grid.Columns, 2);
        QCOMPARE(grid.GridLeft, 34);
        QCOMPARE(grid.LineStep, 45);
        QCOMPARE(CellRect(grid, 1), QRect(316, 0, 316, 90));
        QCOMPARE(CellRect(grid, 2), QRect(0, 90, 316, 90));
        const HitInfo hit = HitTest(grid, 3, QPoint(10, 10), NameOfWidth);
        QCOMPARE(int(hit.Area), int(HitInfo::kAreaGrid));
        QCOMPARE(hit.EntryIndex, -1);
    }

    void HitTestFindsThumbnailNameAndMargins() {
        const GridLayout grid = ArrangeGrid(kViewNormal, 5, QSize(500, 400));
        const auto name40 = [](int) { return NameOfWidth(40); };
        // Left margin of the centred grid.
        HitInfo hit = HitTest(grid, 5, QPoint(10, 50), name40);
        QCOMPARE(int(hit.Area), int(HitInfo::kAreaLeftMargin));
        QCOMPARE(hit.EntryIndex, -1);
        // Thumbnail box of entry 1: [cx+8, cx+102) x [10, 88).
        const int cx = 30 + 110;
        hit = HitTest(grid, 5, QPoint(cx + 8, 10), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetThumb));
        QCOMPARE(hit.EntryIndex, 1);
        QCOMPARE(hit.SubIndex, -1);
        hit = HitTest(grid, 5, QPoint(cx + 101, 87), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetThumb));
        hit = HitTest(grid, 5, QPoint(cx + 102, 50), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetNothing));
        QCOMPARE(hit.EntryIndex, 1);
        // The frame between picture and name belongs to the entry but hits nothing.
        hit = HitTest(grid, 5, QPoint(cx + 50, 90), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetNothing));
        // Name text of 40 x 12 centred in the band (8, 94, 94, 14): x in [35, 75), y in [95, 107).
        hit = HitTest(grid, 5, QPoint(cx + 35, 95), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetName));
        hit = HitTest(grid, 5, QPoint(cx + 74, 106), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetName));
        hit = HitTest(grid, 5, QPoint(cx + 34, 100), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetNothing));
        hit = HitTest(grid, 5, QPoint(cx + 75, 100), name40);
        QCOMPARE(int(hit.Target), int(HitInfo::kTargetNothing));
        // After the last entry (row 1, column 2 is index 6 of 5) and beyond the last column.
        hit = HitTest(grid, 5, QPoint(30 + 2 * 110 + 50, 122 + 50), name40);
        QCOMPARE(int(hit.Area), int(HitInfo::kAreaGrid));
        QCOMPARE(hit.EntryIndex, -1);
        hit = HitTest(grid, 5, QPoint(30 + 4 * 110 + 5, 50), name40);
        QCOMPARE(hit.EntryIndex, -1);
    }

    void BrowseModeTreatsNegativeXAsMargin() {
        const GridLayout grid = ArrangeGrid(kViewBrowse, 1, QSize(110, 122));
        const HitInfo hit = HitTest(grid, 1, QPoint(-3, 20), NameOfWidth);
        QCOMPARE(int(hit.Area), int(HitInfo::kAreaLeftMargin));
    }

    void PicturesAreFittedToTheBox() {
        QCOMPARE(FitPicture(QSize(188, 156), QSize(94, 78)), QSize(94, 78));
        QCOMPARE(FitPicture(QSize(640, 480), QSize(94, 78)), QSize(94, 70));
        // A 32 x 32 icon is enlarged to about 78 x 78 in the grid and 88 x 88 in the panel.
        const QSize grid = FitPicture(QSize(32, 32), QSize(94, 78));
        QVERIFY(grid.width() >= 77 && grid.width() <= 78);
        QCOMPARE(grid.width(), grid.height());
        const QSize panel = FitPicture(QSize(32, 32), QSize(104, 88));
        QVERIFY(panel.width() >= 87 && panel.width() <= 88);
        QCOMPARE(FitPicture(QSize(1000, 10), QSize(94, 78)), QSize(94, 0));
        QCOMPARE(FitPicture(QSize(0, 0), QSize(94, 78)), QSize(0, 0));
        QCOMPARE(CentredPicture(QSize(94, 70), QRect(8, 10, 94, 78)), QRect(8, 14, 94, 70));
        QCOMPARE(CentredPicture(QSize(77, 77), QRect(8, 10, 94, 78)), QRect(16, 10, 77, 77));
    }

    void FitTextShortensWithEllipsis() {
        QCOMPARE(FitText("abcdef", 36, FixedWidth), QStringLiteral("abcdef"));
        // 7 characters are 42 px; "..." is 18 px, so 3 characters fit before it.
        QCOMPARE(FitText("abcdefg", 36, FixedWidth), QStringLiteral("abc..."));
        QCOMPARE(FitText("abcdefg", 10, FixedWidth), QStringLiteral("..."));
        // A character beyond the basic plane is two UTF-16 units and is dropped whole: three
        // units would fit in 36 px, but they would end in half a character.
        const QString wide = QStringLiteral("ab\U0001F600cdefgh");
        QCOMPARE(FitText(wide, 3 * 6 + 18, FixedWidth), QStringLiteral("ab..."));
    }

    void KiloBytesHaveSeparatorsAndTwoDecimals() {
        const QString comma = QStringLiteral(",");
        const QString point = QStringLiteral(".");
        QCOMPARE(FormatKBytes(1536, comma, point), QStringLiteral("1.5 K Bytes"));
        QCOMPARE(FormatKBytes(1024, comma, point), QStringLiteral("1 K Bytes"));
        QCOMPARE(FormatKBytes(1024 * 1024, comma, point), QStringLiteral("1,024 K Bytes"));
        QCOMPARE(FormatKBytes(1234567890, comma, point), QStringLiteral("1,205,632.71 K Bytes"));
        // "#,###" prints no digit for a zero integer part.
        QCOMPARE(FormatKBytes(100, comma, point), QStringLiteral(".1 K Bytes"));
        QCOMPARE(FormatKBytes(1536, QStringLiteral("."), QStringLiteral(",")),
                 QStringLiteral("1,5 K Bytes"));
    }

    void DatesAndTimesUseTheGivenSeparators() {
        const std::int32_t morning = dosdate::Encode({2021, 3, 4, 0, 5, 6});
        const std::int32_t evening = dosdate::Encode({1999, 12, 31, 23, 59, 58});
        QCOMPARE(FormatDate(morning, "/"), QStringLiteral("2021/03/04"));
        QCOMPARE(FormatDate(evening, "-"), QStringLiteral("1999-12-31"));
        QCOMPARE(FormatTime(morning, ":", "AM", "PM"), QStringLiteral("AM 12:05:06"));
        QCOMPARE(FormatTime(evening, ".", "上午", "下午"), QStringLiteral("下午 11.59.58"));
    }

    void StatusCountsJoinTheThreeLabels() {
        QCOMPARE(StatusCounts(0, 0, 0), QStringLiteral("檔案夾:0  檔案數:0  巳選擇項目:0"));
        QCOMPARE(StatusCounts(3, 12, 2), QStringLiteral("檔案夾:3  檔案數:12  巳選擇項目:2"));
    }
};

PIXELARY_QTEST_MAIN(ViewGeometryTest)
#include "ViewGeometryTest.moc"
