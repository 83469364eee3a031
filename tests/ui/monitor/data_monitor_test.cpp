// The Data Monitor: save, print and the activity lamps beside it.

#include "ui/monitor/data_monitor.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <thread>

#include "notation/received_formatter.h"
#include "support/print_to_end.h"
#include "support/scripted_prompts.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

const QColor kGrey = QColor(128, 128, 128);
const QColor kGreen = QColor(0, 255, 0);

class DataMonitorTest : public testing::Test {
protected:
    QByteArray ReadFile(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }
    QString PathOf(const char* name) { return directory_.filePath(QString::fromLatin1(name)); }
    // The colour a lamp is drawn in, at its centre.
    static QColor Drawn(LampWidget& lamp) { return lamp.grab().toImage().pixelColor(7, 7); }

    QTemporaryDir directory_;
    QWidget window_;
    DataMonitor monitor_{&window_, &window_};
    ActivityLamps& lamps_ = monitor_.Lamps();
    ScriptedPrompts prompts_;
};

TEST_F(DataMonitorTest, SaveWritesEveryByteWithCrLfBreaksAndCancelDoesNothing) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n') {
            all.push_back(static_cast<char>(byte));
        }
    }
    monitor_.AppendText("41 42\r\n", TransmitColour);
    monitor_.AppendText(all + "\r", ReceiveColour);
    monitor_.AppendText("\n\nX", ReceiveColour);  // the LF completes the CR; then one more
    prompts_.QueueSaveFile(std::nullopt);
    const SaveDataResult cancelled = monitor_.SaveData(prompts_);
    EXPECT_EQ(cancelled.status, SaveStatus::Cancelled);
    EXPECT_FALSE(cancelled.SavedPath());
    EXPECT_TRUE(QDir(directory_.path()).isEmpty());

    prompts_.QueueSaveFile(PathOf("data.txt"));
    const SaveDataResult result = monitor_.SaveData(prompts_);
    EXPECT_EQ(result.status, SaveStatus::Saved);
    EXPECT_EQ(result.SavedPath(), PathOf("data.txt"));
    EXPECT_EQ(ReadFile(PathOf("data.txt")),
              QByteArray::fromStdString("41 42\r\n" + all + "\r\n\r\nX\r\n"));
    EXPECT_EQ(prompts_.SaveRequests()[0].filter, "All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
    EXPECT_EQ(prompts_.SaveRequests()[0].filterIndex, 2);
    EXPECT_TRUE(prompts_.Messages().empty());
}

// Enough Hex traffic, both colours, for a re-render cut into slices of one piece each.
class RerenderTest : public DataMonitorTest {
protected:
    RerenderTest() { monitor_.SetRerenderSlice(0ms); }

    // Appends `bursts` receptions and sends in Hex; returns where each starts in Ascii.
    std::vector<std::size_t> FillHex(int bursts) {
        std::vector<std::size_t> starts;
        for (int i = 0; i < bursts; ++i) {
            const std::string bytes = "AT\r\n" + std::to_string(i);
            starts.push_back(ascii_.size());
            ascii_ += FormatReceived(bytes, DisplayMode::Ascii, true);
            monitor_.AppendText(FormatReceived(bytes, DisplayMode::Hex, false),
                                i % 3 ? ReceiveColour : TransmitColour);
        }
        return starts;
    }
    // Event loop turns until the re-render is done.
    int Finish() {
        int turns = 0;
        while (monitor_.Rerendering() && turns < 1000000) {
            QCoreApplication::processEvents();
            ++turns;
        }
        return turns;
    }

    std::string ascii_;  // the traffic as Ascii with Process Cr/Lf shows it
};

TEST_F(RerenderTest, ALongReRenderGoesInSlicesAndWhatArrivesMeanwhileFollowsInOrder) {
    const std::vector<std::size_t> starts = FillHex(6000);
    const std::string before = monitor_.PlainText();
    const ModeConversion toAscii[] = {{DisplayMode::Hex, DisplayMode::Ascii}};
    monitor_.ReloadMonitor(toAscii, true);
    ASSERT_TRUE(monitor_.Rerendering());
    monitor_.AppendText("late", ReceiveColour);
    EXPECT_EQ(monitor_.PlainText(), before) << "the old text stays whole until the new is in";

    EXPECT_GT(Finish(), 10) << "the event loop ran between the slices";
    EXPECT_EQ(monitor_.PlainText(), ascii_ + "late");
    const MonitorText& text = monitor_.Text();
    for (std::size_t i = 0; i < starts.size(); ++i) {
        ASSERT_EQ(text.ColourAt(starts[i]), i % 3 ? kReceiveColour : kTransmitColour) << i;
    }
    EXPECT_EQ(text.ColourAt(text.Size() - 1), kReceiveColour);
}

TEST_F(RerenderTest, SaveFinishesARunningReRenderFirstAndClearDropsIt) {
    FillHex(4000);
    const std::string hex = monitor_.PlainText();
    const ModeConversion toDecimal[] = {{DisplayMode::Hex, DisplayMode::Decimal}};
    monitor_.ReloadMonitor(toDecimal, false);
    monitor_.AppendText("065 ", ReceiveColour);
    prompts_.QueueSaveFile(PathOf("switched.txt"));
    ASSERT_EQ(monitor_.SaveData(prompts_).status, SaveStatus::Saved);
    EXPECT_FALSE(monitor_.Rerendering());
    EXPECT_EQ(ReadFile(PathOf("switched.txt")).toStdString(),
              ChangeMode(hex, DisplayMode::Hex, DisplayMode::Decimal) + "065 \r\n");

    const ModeConversion back[] = {{DisplayMode::Decimal, DisplayMode::Hex}};
    monitor_.ReloadMonitor(back, false);
    ASSERT_TRUE(monitor_.Rerendering());
    monitor_.AppendText("41 ", ReceiveColour);
    monitor_.Clear();
    Finish();
    EXPECT_TRUE(monitor_.Text().IsEmpty());
}

TEST_F(RerenderTest, EachBurstKeepsItsArrivalTimeThroughAReRender) {
    std::int64_t now = 1'800'000'000'000;
    monitor_.SetClock([&now] { return now; });
    monitor_.AppendText("41 ", TransmitColour);
    monitor_.AppendText("42 ", ReceiveColour);  // the same millisecond: the same burst
    now += 5;
    monitor_.AppendText("43 0D 0A ", ReceiveColour);
    const MonitorText& text = monitor_.Text();
    EXPECT_EQ(text.ArrivalCount(), 2u);
    EXPECT_EQ(text.ArrivalAt(5), now - 5);
    EXPECT_EQ(text.ArrivalAt(6), now);

    const ModeConversion toAscii[] = {{DisplayMode::Hex, DisplayMode::Ascii}};
    monitor_.ReloadMonitor(toAscii, true);
    Finish();
    EXPECT_EQ(monitor_.PlainText(), "ABC\r\n");
    EXPECT_EQ(text.ArrivalCount(), 2u);
    EXPECT_EQ(text.BurstStartingAt(0), now - 5);
    EXPECT_EQ(text.BurstStartingAt(2), now);
}

TEST_F(DataMonitorTest, PrintWidensNarrowMarginsAndNumbersThePages) {
    for (int line = 0; line < 300; ++line) {
        monitor_.AppendText("41 42 43\r\n", ReceiveColour);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(PathOf("margins.pdf"));
    printer.setPageMargins(QMarginsF(4, 4, 40, 4), QPageLayout::Millimeter);
    EXPECT_EQ(PrintMonitorText(monitor_.Text(), 0, monitor_.Text().Size(), printer, "Com Port 1"),
              PrintOutcome::Printed);
    EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(15, 15, 40, 15));
    EXPECT_EQ(PageNumberText(2, 5), "Page 2 of 5");
}

TEST_F(DataMonitorTest, PrintOffersTheSelectionAndPrintsOnThePrinterChosen) {
    monitor_.AppendText("41 42 43 ", ReceiveColour);
    prompts_.QueuePrintCancel();
    EXPECT_EQ(PrintToEnd(monitor_, prompts_), PrintOutcome::Cancelled);
    prompts_.QueuePrint(PathOf("all.pdf"), false);
    EXPECT_EQ(PrintToEnd(monitor_, prompts_), PrintOutcome::Printed);
    EXPECT_GT(QFileInfo(PathOf("all.pdf")).size(), 0);
    prompts_.QueuePrint(PathOf("no such folder/all.pdf"), false);
    EXPECT_EQ(PrintToEnd(monitor_, prompts_), PrintOutcome::Failed);

    MonitorView* view = monitor_.View();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->PointOf(3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, view->PointOf(5));
    const RowSpan selected = monitor_.PrintRange(true);
    EXPECT_EQ(monitor_.Text().Bytes(selected.from, selected.to), "42");
    EXPECT_EQ(monitor_.PrintRange(false).to, 9u) << "All was chosen in the dialog";
    prompts_.QueuePrint(PathOf("selection.pdf"), true);
    EXPECT_EQ(PrintToEnd(monitor_, prompts_), PrintOutcome::Printed);
    EXPECT_GT(QFileInfo(PathOf("selection.pdf")).size(), 0);
    EXPECT_EQ(prompts_.PrintRequests(), (std::vector<bool>{false, false, false, true}));
    EXPECT_TRUE(prompts_.Messages().empty());

    // A byte received while the dialog is open removes the selection: all is printed.
    monitor_.AppendText("44 ", ReceiveColour);
    EXPECT_EQ(monitor_.PrintRange(true).from, 0u);
    EXPECT_EQ(monitor_.PrintRange(true).to, 12u);
}

TEST_F(DataMonitorTest, AMonitorDestroyedMidPrintCancelsItWithoutAHalfFile) {
    auto monitor = std::make_unique<DataMonitor>(&window_, &window_);
    std::string block;
    for (int line = 0; line < 200'000; ++line) {
        block += "41 42 43 44 45 46 47 48\r\n";
    }
    monitor->AppendText(block, ReceiveColour);
    prompts_.QueuePrint(PathOf("closed.pdf"), false);
    monitor->PrintData(prompts_);
    ASSERT_TRUE(monitor->Printing()) << "the print went on from the event loop";
    monitor.reset();
    EXPECT_FALSE(QFile::exists(PathOf("closed.pdf")));
}

TEST_F(DataMonitorTest, ALitLampIsDrawnGreenUntilTheFirstLightsTickPutsBothOut) {
    lamps_.LED1()->resize(15, 15);
    EXPECT_EQ(Drawn(*lamps_.LED1()), kGrey);
    EXPECT_FALSE(lamps_.Timer1().isActive()) << "disabled at rest";
    lamps_.LightTransmitLamp();
    EXPECT_EQ(Drawn(*lamps_.LED1()), kGreen);
    EXPECT_EQ(lamps_.LED2()->FillColour(), kGrey);

    // The lamps must go out within 100 ms of the first light however much traffic follows,
    // so a running timer is left alone. Time passes without the event loop running, so the
    // timer cannot fire in between.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const int before = lamps_.Timer1().remainingTime();
    lamps_.LightReceiveLamp();
    EXPECT_EQ(lamps_.LED2()->FillColour(), kGreen);
    EXPECT_LE(lamps_.Timer1().remainingTime(), before);
    EXPECT_LT(before, 100);

    // The one place where real time has to pass: the timer's own tick puts both out.
    QDeadlineTimer deadline(2000);
    while (lamps_.LED2()->IsLit() && !deadline.hasExpired()) {
        QTest::qWait(10);
    }
    EXPECT_EQ(Drawn(*lamps_.LED1()), kGrey);
    EXPECT_EQ(lamps_.LED2()->FillColour(), kGrey);
    EXPECT_FALSE(lamps_.Timer1().isActive());
}

}  // namespace
}  // namespace kestrum
