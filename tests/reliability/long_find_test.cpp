// Find for a 30,000-character string on a full Data Monitor of Hex traffic that nearly matches
// it everywhere (a flood of 0xFF): the window never stands for more than 100 ms, whichever
// way the search goes and whether or not it finds anything. (Its time is measured in bench/.)

#include <QLineEdit>

#include "support/pty_pair.h"
#include "support/reliability_helpers.h"
#include "ui/main/find_bar.h"
#include "ui/monitor/data_monitor.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

// `count` times "FF ", as a flood of 0xFF shows in Hex.
std::string Flood(qsizetype count) {
    return QByteArray("FF ").repeated(count).toStdString();
}

TEST(LongFindTest, ALongNeedleOnAFullMonitorNeverStopsTheWindow) {
    QWidget window;
    DataMonitor monitor(&window, &window);
    const std::string flood = Flood(qsizetype{1} << 20);
    while (monitor.Text().Size() + flood.size() + 3 <= monitor.Text().Capacity()) {
        monitor.AppendText(flood, ReceiveColour);
    }
    monitor.AppendText("FE ", ReceiveColour);  // the one place the needle is
    const std::string found = Flood(9'999) + "FE ";
    FindBar find(monitor, &window);
    const struct {
        const char* reason;
        std::string needle;
        void (FindBar::*find)();
    } cases[] = {
        {"forward, round the end to the last characters", found, &FindBar::FindNext},
        {"backward, round the start to the same hit", found, &FindBar::FindPrevious},
        {"nowhere", Flood(9'999) + "FD ", &FindBar::FindNext},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        find.Text().setText(QString::fromLatin1(c.needle));
        const GapMeter meter;
        (find.*c.find)();
        ASSERT_TRUE(PumpEventsUntil([&] { return !find.Searching(); }, 30s));
        EXPECT_LT(meter.LongestMs(), 100);
        EXPECT_EQ(find.Status(), c.needle == found ? "" : "Not found");
        EXPECT_EQ(monitor.Text().SelectionStart(), monitor.Text().Size() - found.size());
        EXPECT_EQ(monitor.Text().SelectionLength(), found.size());
    }
}

}  // namespace
}  // namespace kestrum
