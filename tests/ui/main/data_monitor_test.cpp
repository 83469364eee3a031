#include "ui/main/data_monitor.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <csignal>

#include "support/scripted_prompts.h"

namespace kestrum {
namespace {

class DataMonitorTest : public testing::Test {
protected:
    QByteArray ReadFile(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }
    QString PathOf(const char* name) { return directory_.filePath(QString::fromLatin1(name)); }

    // Every stored character has `colour`.
    bool AllIn(QRgb colour) {
        for (const ColourSegment& segment :
             monitor_.Text().ColourSegments(0, monitor_.Text().Size())) {
            if (segment.colour != colour) {
                return false;
            }
        }
        return true;
    }

    QTemporaryDir directory_;
    QWidget window_;
    DataMonitor monitor_{&window_, &window_};
    ScriptedPrompts prompts_;
};

TEST_F(DataMonitorTest, SaveWritesThePlainTextWithCrLfBreaksAndOneFinalCrLf) {
    monitor_.AppendText("41 42\r\n", TransmitColour);
    monitor_.AppendText("43", ReceiveColour);
    const QString path = PathOf("data.txt");
    prompts_.QueueSaveFile(path);

    const SaveDataResult result = monitor_.SaveData(prompts_);

    EXPECT_EQ(result.status, SaveStatus::Saved);
    EXPECT_EQ(result.SavedPath(), path);
    EXPECT_EQ(ReadFile(path), QByteArray("41 42\r\n43\r\n"));
    ASSERT_EQ(prompts_.SaveRequests().size(), 1u);
    EXPECT_EQ(prompts_.SaveRequests()[0].filter,
              QStringLiteral("All Files (*.*)|*.*|Text Files (*.txt)|*.txt"));
    EXPECT_EQ(prompts_.SaveRequests()[0].filterIndex, 2);
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(DataMonitorTest, SaveKeepsEveryByteAndWritesLoneBreaksAsCrLf) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n') {
            all.push_back(static_cast<char>(byte));
        }
    }
    monitor_.AppendText(all + "\r", ReceiveColour);
    monitor_.AppendText("\n\nX", ReceiveColour);  // the LF completes the CR; then one more
    prompts_.QueueSaveFile(PathOf("bytes.txt"));
    ASSERT_EQ(monitor_.SaveData(prompts_).status, SaveStatus::Saved);
    EXPECT_EQ(ReadFile(PathOf("bytes.txt")), QByteArray::fromStdString(all + "\r\n\r\nX\r\n"));
}

TEST_F(DataMonitorTest, CancelledSaveDoesNothingAndShowsNothing) {
    monitor_.AppendText("41 ", ReceiveColour);
    prompts_.QueueSaveFile(std::nullopt);

    const SaveDataResult result = monitor_.SaveData(prompts_);

    EXPECT_EQ(result.status, SaveStatus::Cancelled);
    EXPECT_FALSE(result.SavedPath());
    EXPECT_TRUE(prompts_.Messages().empty());
    EXPECT_TRUE(QDir(directory_.path()).isEmpty());
    EXPECT_EQ(monitor_.PlainText(), "41 ");
}

TEST_F(DataMonitorTest, FailedSaveIsReportedAndLeavesTheEarlierFileIntact) {
    const QString path = PathOf("earlier.txt");
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier contents\r\n");
    }
    monitor_.AppendText(std::string(100000, 'A'), ReceiveColour);

    // Files may not grow past 4 KiB for the duration of this save: the write fails
    // the same way a full disk makes it fail (root ignores permissions).
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    prompts_.QueueSaveFile(path);
    const SaveDataResult result = monitor_.SaveData(prompts_);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result.status, SaveStatus::Failed);
    EXPECT_FALSE(result.SavedPath());
    EXPECT_FALSE(result.errorText.isEmpty());
    EXPECT_EQ(ReadFile(path), QByteArray("earlier contents\r\n"));
    EXPECT_TRUE(prompts_.Messages().empty()) << "the window decides on a message";

    prompts_.QueueSaveFile(PathOf("no such folder/data.txt"));
    EXPECT_EQ(monitor_.SaveData(prompts_).status, SaveStatus::Failed);
}

TEST_F(DataMonitorTest, ReloadRewritesTheWholeTextInTransmitColour) {
    monitor_.AppendText("41 42 ", TransmitColour);
    monitor_.AppendText("0D ", ReceiveColour);

    const ModeConversion hexToDecimal[] = {{DisplayMode::Hex, DisplayMode::Decimal}};
    monitor_.ReloadMonitor(hexToDecimal, false);
    EXPECT_EQ(monitor_.PlainText(), "065 066 013 ");
    EXPECT_TRUE(AllIn(kTransmitColour));

    // The next received data is red again.
    monitor_.AppendText("010 ", ReceiveColour);
    EXPECT_EQ(monitor_.Text().ColourAt(monitor_.Text().Size() - 1), kReceiveColour);
}

TEST_F(DataMonitorTest, AsciiRoundTripFollowsProcessCrLf) {
    const ModeConversion roundTrip[] = {{DisplayMode::Ascii, DisplayMode::Hex},
                                        {DisplayMode::Hex, DisplayMode::Ascii}};
    monitor_.AppendText("Hi^M^J", ReceiveColour);
    monitor_.AppendText("OK", TransmitColour);

    monitor_.ReloadMonitor(roundTrip, true);
    EXPECT_EQ(monitor_.PlainText(), "Hi\r\nOK");
    EXPECT_EQ(monitor_.Text().LineCount(), 2u);
    EXPECT_TRUE(AllIn(kTransmitColour));

    monitor_.ReloadMonitor(roundTrip, false);
    EXPECT_EQ(monitor_.PlainText(), "Hi^M^JOK");
    EXPECT_EQ(monitor_.Text().LineCount(), 1u);
}

TEST_F(DataMonitorTest, ReloadOfAnEmptyMonitorLeavesItEmpty) {
    const ModeConversion hexToAscii[] = {{DisplayMode::Hex, DisplayMode::Ascii}};
    monitor_.ReloadMonitor(hexToAscii, true);
    EXPECT_EQ(monitor_.PlainText(), "");
}

TEST(DataMonitorCapacityTest, AnOverfullMonitorIsEmptiedAndShowsTheNewData) {
    QWidget window;
    DataMonitor monitor(&window, &window, nullptr, 12);
    monitor.AppendText("41 42 43 ", TransmitColour);
    monitor.AppendText("44 45 ", ReceiveColour);
    EXPECT_EQ(monitor.PlainText(), "44 45 ");
    EXPECT_EQ(monitor.View()->TotalRows(), 1u);
}

TEST_F(DataMonitorTest, ClearEmptiesTheMonitor) {
    monitor_.AppendText("41 42\r\n43", ReceiveColour);
    monitor_.Clear();
    EXPECT_EQ(monitor_.PlainText(), "");
    EXPECT_EQ(monitor_.Text().LineCount(), 1u);
}

TEST_F(DataMonitorTest, PrintOfASelectionPreselectsItAndPrintsOnThePrinterChosen) {
    monitor_.AppendText("41 42 43\r\n", TransmitColour);
    monitor_.AppendText("44 45", ReceiveColour);
    monitor_.View()->SelectAll();
    const QString pdf = PathOf("selection.pdf");
    prompts_.QueuePrint(pdf, true);

    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Printed);

    EXPECT_EQ(prompts_.PrintRequests(), std::vector<bool>{true});
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(DataMonitorTest, PrintRangeIsTheSelectionOnlyWhileThereIsOne) {
    monitor_.AppendText("41 42 43 ", ReceiveColour);
    monitor_.View()->SelectAll();
    EXPECT_EQ(monitor_.PrintRange(true).from, 0u);
    EXPECT_EQ(monitor_.PrintRange(true).to, 9u);

    MonitorView* view = monitor_.View();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->PointOf(3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, view->PointOf(5));
    const RowSpan selected = monitor_.PrintRange(true);
    EXPECT_EQ(monitor_.Text().Bytes(selected.from, selected.to), "42");
    EXPECT_EQ(monitor_.PrintRange(false).to, 9u) << "All was chosen in the dialog";

    // A byte received while the dialog is open removes the selection: all is printed.
    monitor_.AppendText("44 ", ReceiveColour);
    EXPECT_EQ(monitor_.PrintRange(true).from, 0u);
    EXPECT_EQ(monitor_.PrintRange(true).to, 12u);
}

TEST_F(DataMonitorTest, PrintWithoutSelectionOffersAllAndCancelDoesNothing) {
    monitor_.AppendText("41 ", ReceiveColour);
    prompts_.QueuePrintCancel();
    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Cancelled);
    EXPECT_EQ(prompts_.PrintRequests(), std::vector<bool>{false});
    EXPECT_TRUE(prompts_.Messages().empty());

    // The whole text, when nothing is selected.
    prompts_.QueuePrint(PathOf("all.pdf"), false);
    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Printed);
    EXPECT_GT(QFileInfo(PathOf("all.pdf")).size(), 0);

    prompts_.QueuePrint(PathOf("no such folder/all.pdf"), false);
    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Failed);
}

TEST(DataMonitorOwnershipTest, ViewAndLampsAreParentedAndGoWithTheMonitor) {
    QWidget window;
    QWidget frame(&window);
    QPointer<MonitorView> view;
    QPointer<LampWidget> lamp;
    {
        DataMonitor monitor(&window, &frame);
        view = monitor.View();
        lamp = monitor.Lamps().LED1();
        EXPECT_EQ(view->parentWidget(), &window);
        EXPECT_EQ(lamp->parentWidget(), &frame);
        EXPECT_EQ(view->objectName(), QStringLiteral("ReceiveBox"));
    }
    EXPECT_TRUE(view.isNull());
    EXPECT_TRUE(lamp.isNull());
}

}  // namespace
}  // namespace kestrum
