// Printing a full Data Monitor (64 Mi characters) to PDF: the event loop keeps running
// throughout, data that arrives meanwhile is kept and shown after, and Cancel in the progress
// window ends the print without leaving a half file.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <iostream>

#include "support/print_to_end.h"
#include "support/reliability_helpers.h"
#include "support/scripted_prompts.h"
#include "ui/monitor/data_monitor.h"

namespace kestrum {
namespace {

class MonitorPrintTest : public ::testing::Test {
protected:
    MonitorPrintTest() : monitor_(&parent_, &parent_) {
        // Full: 64 Mi characters in lines of Hex traffic, both colours.
        const std::string line = "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50\r\n";
        std::string block;
        while (block.size() < (std::size_t{1} << 20)) {
            block += line;
        }
        while (monitor_.Text().Size() + block.size() <= kMonitorCapacity) {
            monitor_.AppendText(block,
                                monitor_.Text().Size() % 2 == 0 ? kTransmitColour : kReceiveColour);
        }
    }

    QTemporaryDir folder_;
    QWidget parent_;
    DataMonitor monitor_;
};

TEST_F(MonitorPrintTest, AFullMonitorPrintsWithTheEventLoopRunning) {
    ScriptedPrompts prompts;
    prompts.ShowProgressWindows(0);
    const QString pdf = folder_.filePath("full.pdf");
    prompts.QueuePrint(pdf, false);
    const std::size_t size = monitor_.Text().Size();
    GapMeter gaps;
    bool appended = false;
    gaps.onTick = [&] {
        if (monitor_.Printing() && !appended) {
            monitor_.AppendText("late", kReceiveColour);
            appended = true;
        }
    };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(PrintToEnd(monitor_, prompts), PrintOutcome::Printed);
    std::cout << "[ figures  ] " << size << " characters, " << prompts.ProgressMaximum()
              << " pages in " << clock.elapsed() << " ms; longest event-loop gap "
              << gaps.LongestMs() << " ms\n";
    EXPECT_LT(gaps.LongestMs(), 2000) << "generous: the slices are about 50 ms";
    EXPECT_EQ(prompts.ProgressShown(), 1);
    EXPECT_GT(QFile(pdf).size(), 0);
    EXPECT_TRUE(appended) << "no event ran during the print";
    EXPECT_EQ(monitor_.Text().Bytes(size, monitor_.Text().Size()), "late");
}

TEST_F(MonitorPrintTest, CancelEndsThePrintWithoutAHalfFile) {
    ScriptedPrompts prompts;
    prompts.ShowProgressWindows(2);
    const QString pdf = folder_.filePath("cancelled.pdf");
    prompts.QueuePrint(pdf, false);
    EXPECT_EQ(PrintToEnd(monitor_, prompts), PrintOutcome::Cancelled);
    EXPECT_EQ(prompts.ProgressSteps(), 2);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(monitor_.Printing());
}

}  // namespace
}  // namespace kestrum
