#include "ui/main/data_monitor.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

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

    QTemporaryDir directory_;
    QWidget window_;
    DataMonitor monitor_{&window_, &window_};
    ScriptedPrompts prompts_;
};

TEST_F(DataMonitorTest, SaveWritesThePlainTextWithCrLfBreaksAndCancelDoesNothing) {
    monitor_.AppendText("41 42\r\n", TransmitColour);
    monitor_.AppendText("43", ReceiveColour);
    prompts_.QueueSaveFile(std::nullopt);
    const SaveDataResult cancelled = monitor_.SaveData(prompts_);
    EXPECT_EQ(cancelled.status, SaveStatus::Cancelled);
    EXPECT_FALSE(cancelled.SavedPath());
    EXPECT_TRUE(QDir(directory_.path()).isEmpty());

    prompts_.QueueSaveFile(PathOf("data.txt"));
    const SaveDataResult result = monitor_.SaveData(prompts_);
    EXPECT_EQ(result.status, SaveStatus::Saved);
    EXPECT_EQ(result.SavedPath(), PathOf("data.txt"));
    EXPECT_EQ(ReadFile(PathOf("data.txt")), QByteArray("41 42\r\n43\r\n"));
    EXPECT_EQ(prompts_.SaveRequests()[0].filter, "All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
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

TEST_F(DataMonitorTest, ReloadRewritesTheWholeTextInTransmitColour) {
    const std::vector<ModeConversion> hexToDecimal = {{DisplayMode::Hex, DisplayMode::Decimal}};
    const std::vector<ModeConversion> asciiRoundTrip = {{DisplayMode::Ascii, DisplayMode::Hex},
                                                        {DisplayMode::Hex, DisplayMode::Ascii}};
    struct Case {
        const char* reason;
        const std::vector<ModeConversion>& conversions;
        bool crLfPassThrough;
        std::string before;
        std::string after;
        std::size_t lines;
    };
    const Case cases[] = {
        {"hex to decimal", hexToDecimal, false, "41 42 0D ", "065 066 013 ", 1},
        {"caret pairs become breaks", asciiRoundTrip, true, "Hi^M^JOK", "Hi\r\nOK", 2},
        {"breaks become caret pairs", asciiRoundTrip, false, "Hi\r\nOK", "Hi^M^JOK", 1},
        {"an empty monitor stays empty", asciiRoundTrip, true, "", "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        monitor_.Clear();
        monitor_.AppendText(c.before, ReceiveColour);
        monitor_.ReloadMonitor(c.conversions, c.crLfPassThrough);
        EXPECT_EQ(monitor_.PlainText(), c.after);
        EXPECT_EQ(monitor_.Text().LineCount(), c.lines);
        for (const ColourSegment& run : monitor_.Text().ColourSegments(0, monitor_.Text().Size())) {
            EXPECT_EQ(run.colour, kTransmitColour);
        }
        // The next received data is red again.
        monitor_.AppendText("0", ReceiveColour);
        EXPECT_EQ(monitor_.Text().ColourAt(monitor_.Text().Size() - 1), kReceiveColour);
    }
}

TEST_F(DataMonitorTest, PrintOffersTheSelectionAndPrintsOnThePrinterChosen) {
    monitor_.AppendText("41 42 43 ", ReceiveColour);
    prompts_.QueuePrintCancel();
    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Cancelled);
    prompts_.QueuePrint(PathOf("all.pdf"), false);
    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Printed);
    EXPECT_GT(QFileInfo(PathOf("all.pdf")).size(), 0);
    prompts_.QueuePrint(PathOf("no such folder/all.pdf"), false);
    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Failed);

    MonitorView* view = monitor_.View();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->PointOf(3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, view->PointOf(5));
    const RowSpan selected = monitor_.PrintRange(true);
    EXPECT_EQ(monitor_.Text().Bytes(selected.from, selected.to), "42");
    EXPECT_EQ(monitor_.PrintRange(false).to, 9u) << "All was chosen in the dialog";
    prompts_.QueuePrint(PathOf("selection.pdf"), true);
    EXPECT_EQ(monitor_.PrintData(prompts_), PrintOutcome::Printed);
    EXPECT_GT(QFileInfo(PathOf("selection.pdf")).size(), 0);
    EXPECT_EQ(prompts_.PrintRequests(), (std::vector<bool>{false, false, false, true}));
    EXPECT_TRUE(prompts_.Messages().empty());

    // A byte received while the dialog is open removes the selection: all is printed.
    monitor_.AppendText("44 ", ReceiveColour);
    EXPECT_EQ(monitor_.PrintRange(true).from, 0u);
    EXPECT_EQ(monitor_.PrintRange(true).to, 12u);
}

}  // namespace
}  // namespace kestrum
