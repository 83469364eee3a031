#include "ui/main/activity_lamps.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QImage>
#include <QTest>
#include <chrono>
#include <thread>

namespace kestrum {
namespace {

const QColor kGrey = QColor(128, 128, 128);
const QColor kGreen = QColor(0, 255, 0);

class ActivityLampsTest : public testing::Test {
protected:
    // The colour the lamp is drawn in, at its centre.
    static QColor Drawn(LampWidget& lamp) { return lamp.grab().toImage().pixelColor(7, 7); }

    QWidget frame_;
    ActivityLamps lamps_{&frame_};
};

TEST_F(ActivityLampsTest, ALitLampIsDrawnGreenUntilTheNextTickPutsBothOut) {
    lamps_.LED1()->resize(15, 15);
    EXPECT_EQ(Drawn(*lamps_.LED1()), kGrey);
    EXPECT_EQ(lamps_.LED2()->FillColour(), kGrey);
    EXPECT_FALSE(lamps_.Timer1().isActive()) << "disabled at rest";

    lamps_.LightReceiveLamp();
    EXPECT_EQ(lamps_.LED2()->FillColour(), kGreen);
    EXPECT_EQ(lamps_.LED1()->FillColour(), kGrey);
    EXPECT_TRUE(lamps_.Timer1().isActive());
    lamps_.LightTransmitLamp();
    EXPECT_EQ(Drawn(*lamps_.LED1()), kGreen);

    lamps_.Timer1_Timer();
    EXPECT_EQ(Drawn(*lamps_.LED1()), kGrey);
    EXPECT_EQ(lamps_.LED2()->FillColour(), kGrey);
    EXPECT_FALSE(lamps_.Timer1().isActive());
}

TEST_F(ActivityLampsTest, TheRunningTimerPutsTheLampsOut) {
    // The one place where real time has to pass: the timer's own tick.
    lamps_.LightReceiveLamp();
    QDeadlineTimer deadline(2000);
    while (lamps_.LED2()->IsLit() && !deadline.hasExpired()) {
        QTest::qWait(10);
    }
    EXPECT_EQ(lamps_.LED2()->FillColour(), kGrey);
    EXPECT_FALSE(lamps_.Timer1().isActive());
}

TEST_F(ActivityLampsTest, LightingAgainDoesNotRestartTheInterval) {
    // The lamp must go out within 100 ms of the first light however much traffic
    // follows, so a running timer is left alone. Time passes without the event loop
    // running, so the timer cannot fire in between.
    lamps_.LightTransmitLamp();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const int before = lamps_.Timer1().remainingTime();
    lamps_.LightReceiveLamp();
    EXPECT_TRUE(lamps_.Timer1().isActive());
    EXPECT_LE(lamps_.Timer1().remainingTime(), before);
    EXPECT_LT(before, 100);
}

}  // namespace
}  // namespace kestrum
