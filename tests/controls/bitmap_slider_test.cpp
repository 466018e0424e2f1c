#include "controls/bitmap_slider.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "res/resource_ids.h"

namespace tramlet {
namespace {

class BitmapSliderTest : public testing::Test {
  protected:
    void SetUp() override {
        slider_.SetId(res::kVolume);
        slider_.LoadChannelBitmaps(res::kSmallChannel, res::kSmallChannelActive, true);
        slider_.LoadThumbBitmaps(res::kSmallThumb, res::kSmallThumbActive);
        slider_.SetRange(-10000, 0);
        slider_.SetPosition(-10000);
        slider_.show();
    }

    CBitmapSlider slider_;
};

TEST_F(BitmapSliderTest, TakesItsChannelsSize) {
    EXPECT_EQ(slider_.size(), QSize(120, 14));
    EXPECT_EQ(slider_.Model().PositionToPixel(0), 113);
}

TEST_F(BitmapSliderTest, NotificationsArePostedNotSent) {
    QSignalSpy drags(&slider_, &CBitmapSlider::SliderDrag);
    QSignalSpy dones(&slider_, &CBitmapSlider::SliderDone);
    QTest::mousePress(&slider_, Qt::LeftButton, {}, QPoint(113, 7));
    EXPECT_EQ(slider_.GetPos(), 0);  // stored at once
    EXPECT_TRUE(slider_.ShowsActiveThumb());
    EXPECT_EQ(drags.count(), 0);  // told later
    QTest::mouseRelease(&slider_, Qt::LeftButton, {}, QPoint(113, 7));
    EXPECT_FALSE(slider_.ShowsActiveThumb());
    EXPECT_EQ(dones.count(), 0);

    QCoreApplication::processEvents();
    ASSERT_EQ(drags.count(), 1);
    EXPECT_EQ(drags[0], (QList<QVariant>{1004, 0}));
    ASSERT_EQ(dones.count(), 1);
    EXPECT_EQ(dones[0], (QList<QVariant>{1004, 0}));
}

TEST_F(BitmapSliderTest, KeysReportEvenWithoutAChange) {
    QSignalSpy dones(&slider_, &CBitmapSlider::SliderDone);
    QTest::keyClick(&slider_, Qt::Key_Home);
    QTest::keyClick(&slider_, Qt::Key_End);
    QTest::keyClick(&slider_, Qt::Key_A);  // not a slider key
    QCoreApplication::processEvents();
    ASSERT_EQ(dones.count(), 2);
    EXPECT_EQ(dones[0][1].toInt(), -10000);
    EXPECT_EQ(dones[1][1].toInt(), 0);
}

TEST_F(BitmapSliderTest, DisabledSliderIgnoresThePointer) {
    QSignalSpy dones(&slider_, &CBitmapSlider::SliderDone);
    slider_.setEnabled(false);
    QTest::mouseClick(&slider_, Qt::LeftButton, {}, QPoint(100, 7));
    QCoreApplication::processEvents();
    EXPECT_EQ(dones.count(), 0);
    EXPECT_EQ(slider_.GetPos(), -10000);
}

int KeyColouredPixels(const QImage& shot) {
    int count = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x)
            count += shot.pixelColor(x, y) == QColor(255, 0, 255);
    }
    return count;
}

// Each picture's top-left colour marks what is transparent; none of it may
// reach the screen.
TEST_F(BitmapSliderTest, PicturesAreDrawnThroughTheirMasks) {
    EXPECT_EQ(KeyColouredPixels(slider_.grab().toImage()), 0);

    CBitmapSlider hour;
    hour.resize(200, 14);
    hour.LoadThumbBitmaps(res::kHourThumb, res::kHourThumbActive);
    EXPECT_EQ(KeyColouredPixels(hour.grab().toImage()), 0);
}

}  // namespace
}  // namespace tramlet
