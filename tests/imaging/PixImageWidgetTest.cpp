// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>

#include "TestSupport.h"
#include "imaging/widget/PixImageWidget.h"

namespace pixelary {
namespace {

class PixImageWidgetTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "widget_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) application_ = new QApplication(argc, argv);
    }
    static inline QApplication* application_ = nullptr;

    // A 40 x 20 red picture in a 100 x 100 control.
    void Show(TPixImageWidget& widget) {
        TPixBitmap red;
        red.SetSize(40, 20, TPixelFormat::pf24bit);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x) red.ScanLine(y)[3 * x + 2] = 0xFF;
        }
        widget.Image().Picture().Bitmap() = red;
        widget.PictureChanged();
        widget.resize(100, 100);
    }
};

TEST_F(PixImageWidgetTest, StretchAndCenterPlaceThePicture) {
    TPixImageWidget widget;
    EXPECT_EQ(widget.PictureRect(), QRect());
    Show(widget);
    EXPECT_EQ(widget.PictureRect(), QRect(0, 0, 40, 20));
    widget.SetCenter(true);
    EXPECT_EQ(widget.PictureRect(), QRect(30, 40, 40, 20));
    widget.SetStretch(true);
    EXPECT_EQ(widget.PictureRect(), QRect(0, 25, 100, 50));
    widget.SetCenter(false);
    EXPECT_EQ(widget.PictureRect(), QRect(0, 0, 100, 50));
}

TEST_F(PixImageWidgetTest, PaintsThePictureScaledIntoTheControl) {
    TPixImageWidget widget;
    Show(widget);
    widget.SetStretch(true);
    widget.SetCenter(true);
    const QImage shot = widget.grab().toImage();
    EXPECT_EQ(shot.pixel(50, 50) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shot.pixel(99, 30) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(shot.pixel(50, 10) & 0xFFFFFF, 0xFF0000u);  // above the picture
}

TEST_F(PixImageWidgetTest, LoadsThroughTheComponent) {
    TPixImageWidget widget;
    widget.Image().ModuleFolder = PIXELARY_BIN_DIR;
    widget.Image().OnImageError = [](TPixImage&, std::int16_t, const std::string&) {};
    widget.SetImageName(test::Fixture("gif/plain.gif"));
    widget.resize(40, 30);
    EXPECT_EQ(widget.PictureRect(), QRect(0, 0, 40, 30));
    EXPECT_EQ(widget.grab().toImage().pixel(2, 2) & 0xFFFFFF, 0u);  // the black square
}

}  // namespace
}  // namespace pixelary
