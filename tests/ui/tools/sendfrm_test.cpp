// The text file sender on the in-memory port: what goes out and what is echoed for each
// notation (every byte value included), the file type guess, the messages, and sends that end
// early. On a real pseudo-terminal: pauses measured on the wire, and a long send that waits for
// the port instead of queueing the file in memory.

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <random>

#include "support/pty_window.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

class SendfrmTest : public MainWindowTest {
protected:
    // A fresh main window and the sender as it opens with the remembered file `path`.
    Sendfrm& Restart(const QString& path = {}) {
        CloseWindows();
        state_ = AppState{};
        prompts_ = ScriptedPrompts{};
        Start();
        port_.ClearRecords();
        return OpenSender(path);
    }

    void SendAndWait(Sendfrm& sender) {
        sender.SendButton_Click();
        ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 20s));
    }
};

TEST_F(SendfrmTest, EachLineGoesOutByTheTokenRulesAndIsEchoedAsWritten) {
    struct Case {
        const char* reason;
        const char* fileType;
        std::string file;
        bool strip;  // Check1
        int processCrLf;
        std::string sent;
        std::string echoed;  // as the monitor reports it: breaks as CR LF
    };
    // Tokens are read by the notations' own readers (EncodeTransmitBytes' table); here the
    // lines, their ends and the echo.
    const Case cases[] = {
        {"ascii with line ends", "Ascii", "abc", false, 0, "abc\r\n", "abc^M^J"},
        {"ascii without line ends", "Ascii", "abc", true, 0, "abc", "abc"},
        {"ascii line ends as breaks", "Ascii", "abc", false, 1, "abc\r\n", "abc\r\n"},
        {"last character of every line, ascii", "Ascii", "ab\rcd\r\nef", true, 0, "abcdef",
         "abcdef"},
        {"last character of every line, hex", "Hex", "41 42\r\n43\r44 ", true, 0, "ABCD",
         "41 424344 "},
        {"caret pairs across lines without line ends", "Ascii", "x^\rMy", true, 0, "x\ry", "x^My"},
        {"caret pairs across lines with line ends", "Ascii", "x^\rMy", false, 0, "x\r\n\ry\r\n",
         "x^^M^JMy^M^J"},
        {"hex", "Hex", "61 62 63", false, 0, "abc\r\n", "61 62 630D 0A"},
        {"a lone line feed ends a line", "Ascii", "a\nb\n\r\nc", true, 0, "abc", "abc"},
        {"an empty line still ends with Cr/Lf", "Hex", "\r\r41", false, 0, "\r\n\r\nA\r\n",
         "0D 0A0D 0A410D 0A"},
        {"an empty file sends nothing", "Hex", "", false, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        settings_.SaveSetting("Process", QString::number(c.processCrLf));
        Sendfrm& sender = Restart(WriteFile("case.txt", c.file));
        sender.Combo2().SetText(c.fileType);
        sender.Check1().setChecked(c.strip);
        SendAndWait(sender);
        EXPECT_EQ(port_.Written(), c.sent);
        EXPECT_EQ(MonitorText(), c.echoed);
        EXPECT_EQ(Window().Combo2().Text(), c.fileType) << "the main window follows";
        EXPECT_TRUE(prompts_.Messages().empty());
        if (c.file.empty()) {
            EXPECT_TRUE(Window().Monitor().Lamps().Timer1().isActive());
        }
    }
}

// A write the port refuses is told by the traffic path's rule (its test); here the sender's part.
TEST_F(SendfrmTest, SendsThatCannotGoOnStopWithTheirMessageAndEchoNoUnsentLine) {
    using Action = std::function<void(Sendfrm&)>;
    struct Case {
        const char* reason;
        std::string file;
        const char* fileType;
        Action before;           // after opening, before Send File
        std::string pauseAfter;  // with a byte delay: what is out when `during` runs
        Action during;
        std::string written;
        std::string echoed;
        const char* message;  // the one message shown, or nullptr
    };
    const Action removeFile = [this](Sendfrm&) { QFile::remove(Path("stop.txt")); };
    const Action closed = [this](Sendfrm&) { port_.Close(); };
    const Action disconnect = [this](Sendfrm&) { Window().ToolbarButton("ClosePort")->trigger(); };
    const Action pressSend = [](Sendfrm& sender) {
        sender.SendButton_Click();
        EXPECT_FALSE(sender.Sending());
    };
    const Case cases[] = {
        {"the file was deleted after it was shown", "abc", "Ascii", removeFile, "", nullptr, "", "",
         "File Not Found"},
        {"hex token that is not a number", "41 42\r\n43 4G 44\r\n45", "Hex", nullptr, "", nullptr,
         "AB\r\nC", "41 420D 0A", "File Format or File Type Error"},
        {"decimal token that is not a number", "065 066\r\n067 0x1 068", "Decimal", nullptr, "",
         nullptr, "AB\r\nC", "065 066013 010", "File Format or File Type Error"},
        {"a closed port that can be opened is opened", "abc", "Ascii", closed, "", nullptr,
         "abc\r\n", "abc^M^J", nullptr},
        {"the user disconnects in the middle", "ab\rcd", "Ascii", nullptr, "a", disconnect, "a", "",
         "The Port is disconnected"},
        {"Send File pressed during a send ends both", "abcdef", "Ascii", nullptr, "ab", pressSend,
         "ab", "", "CommPort Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Sendfrm& sender = Restart(WriteFile("stop.txt", c.file));
        sender.Combo2().SetText(c.fileType);
        sender.Combo6().SetText(c.during ? "100" : "0");
        if (c.before) {
            c.before(sender);
        }
        sender.SendButton_Click();
        if (c.during) {
            EXPECT_TRUE(sender.Sending());
            EXPECT_FALSE(sender.OpenButton().isEnabled());
            EXPECT_FALSE(sender.Label3().isHidden());
            ASSERT_TRUE(PumpEventsUntil([&] { return port_.Written() == c.pauseAfter; }, 2s));
            c.during(sender);
            PumpEventsFor(300ms);
        }
        ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 2s));
        EXPECT_EQ(port_.Written(), c.written);
        EXPECT_EQ(MonitorText(), c.echoed);
        EXPECT_EQ(prompts_.Messages(),
                  c.message ? std::vector<QString>{c.message} : std::vector<QString>{});
        EXPECT_TRUE(sender.OpenButton().isEnabled());
        EXPECT_TRUE(sender.Label3().isHidden());
    }
}

TEST_F(SendfrmTest, LinesLightTheLampUntilTheFileEnds) {
    Sendfrm& sender = Restart(WriteFile("lamp.txt", "a\rb"));
    sender.Combo2().SetText("Ascii");
    sender.Combo5().SetText("200");
    sender.SendButton_Click();
    const QColor on = QColor::fromRgb(kLampOnColour);
    ASSERT_TRUE(PumpEventsUntil([&] { return MonitorText() == "a^M^J"; }, 2s));
    EXPECT_EQ(Window().Monitor().Lamps().LED1()->FillColour(), on);
    PumpEventsFor(150ms);
    EXPECT_EQ(Window().Monitor().Lamps().LED1()->FillColour(), on) << "held during the pause";
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 2s));
    ASSERT_TRUE(
        PumpEventsUntil([&] { return Window().Monitor().Lamps().LED1()->FillColour() != on; }, 1s));
}

// Opening guesses the type from the first line (DetectFileType); no guess leaves the type.
TEST_F(SendfrmTest, OpenFileShowsTheFileRemembersItAndGuessesItsType) {
    Sendfrm& sender = Restart();
    struct Case {
        std::string content;
        const char* type;  // nullptr: no guess
        const char* reason;
    };
    const Case cases[] = {
        {"0D 0A\r\n41 ", "Hex", "two upper-case hex digits and a space"},
        {"41 42\n43\n", "Hex", "a first line ended by LF"},
        {"013 010", "Decimal", "three digits and a space"},
        {"41", "Ascii", "no separator (a first line cut by a CR is as short)"},
        {"12 4", "Hex", "digits are hex digits too"},
        {"", nullptr, "an empty file gives no guess"},
        {"0d 0a", "Ascii", "lower-case hex is not recognised"},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const QString before = c.type && c.type == std::string("Ascii") ? "Hex" : "Ascii";
        sender.Combo2().SetText(before);
        const QString path = WriteFile(QString::number(++index) + ".txt", c.content);
        prompts_.QueueOpenFile(path);
        sender.OpenButton_Click();
        EXPECT_EQ(sender.Text1().text(), path);
        EXPECT_EQ(sender.RichTextBox1FileName(), path);
        EXPECT_EQ(sender.Combo2().Text(), c.type ? c.type : before);
        EXPECT_EQ(settings_.GetSetting("Filetype", ""), c.type ? c.type : before);
        EXPECT_EQ(settings_.GetSetting("File", ""), path);
    }
    EXPECT_EQ(sender.RichTextBox1().toPlainText(), "0d 0a");
    EXPECT_EQ(prompts_.OpenRequests().back().filter, "All Files (*.*)|*.*");

    // Cancel changes nothing; an unreadable file ends the operation quietly.
    prompts_.QueueOpenFile(std::nullopt);
    sender.OpenButton_Click();
    prompts_.QueueOpenFile(Path("missing.txt"));
    sender.OpenButton_Click();
    EXPECT_EQ(sender.Text1().text(), Path("missing.txt"));
    EXPECT_EQ(settings_.GetSetting("File", ""), Path("7.txt"));
    EXPECT_EQ(sender.Combo2().Text(), "Ascii");
    EXPECT_TRUE(prompts_.Messages().empty());

    // A remembered file that is gone is named at opening and again at Send File.
    settings_.SaveSetting("File", Path("gone.txt"));
    Sendfrm& gone = Restart();
    EXPECT_EQ(gone.Text1().text(), Path("gone.txt"));
    EXPECT_EQ(gone.RichTextBox1().toPlainText(), "");
    SendAndWait(gone);
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>(2, "File Not Found"));
    EXPECT_EQ(port_.OutputCalls(), 0);
}

TEST_F(SendfrmTest, AFolderIsNoFileToSend) {
    Sendfrm& sender = Restart(Path(""));
    prompts_ = ScriptedPrompts();
    SendAndWait(sender);
    EXPECT_EQ(port_.Written(), "");
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{send_text::kMsgFileNotFound});
}

TEST_F(SendfrmTest, ListsStartFromTheStoreAndStoreEveryChoice) {
    settings_.SaveSetting("Filetype", "Decimal");
    settings_.SaveSetting("Delay", "500");
    settings_.SaveSetting("BDelay", "150");  // not offered by the list
    Sendfrm& sender = Restart();
    EXPECT_EQ(sender.Combo2().Text(), "Decimal");
    EXPECT_EQ(sender.Combo5().Text(), "500");
    EXPECT_EQ(sender.Combo6().Text(), "0");
    EXPECT_EQ(settings_.GetSetting("BDelay", ""), "0");
    EXPECT_FALSE(sender.Check1().isChecked());
    EXPECT_TRUE(sender.Label3().isHidden());

    sender.Combo5().SetText("10000");
    sender.Combo6().SetText("2000");
    sender.Combo2().SetText("Hex");
    EXPECT_EQ(settings_.GetSetting("Delay", ""), "10000");
    EXPECT_EQ(settings_.GetSetting("BDelay", ""), "2000");
    EXPECT_EQ(settings_.GetSetting("Filetype", ""), "Hex");
}

TEST_F(SendfrmTest, ClosingTheWindowDuringASendEndsItCleanly) {
    Start();
    QPointer<Sendfrm> sender = new Sendfrm(Window().Tools(), &Window());
    sender->setWindowFlag(Qt::Window);
    sender->setAttribute(Qt::WA_DeleteOnClose);
    sender->show();
    prompts_.QueueOpenFile(WriteFile("slow.txt", "abcdef"));
    sender->OpenButton_Click();
    sender->Combo6().SetText("100");
    port_.ClearRecords();
    sender->SendButton_Click();
    ASSERT_TRUE(PumpEventsUntil([&] { return port_.Written() == "a"; }, 2s));
    sender->CloseButton().click();
    ASSERT_TRUE(PumpEventsUntil([&] { return sender == nullptr; }, 2s));
    PumpEventsFor(300ms);
    EXPECT_EQ(port_.Written(), "a");
    EXPECT_EQ(MonitorText(), "");
    EXPECT_NE(Window().Monitor().Lamps().LED1()->FillColour(), QColor::fromRgb(kLampOnColour));
}

TEST_F(SendfrmTest, EscapeStopsARunningSendAndOtherwiseClosesTheWindow) {
    Start();
    QPointer<Sendfrm> sender = new Sendfrm(Window().Tools(), &Window());
    sender->setWindowFlag(Qt::Window);
    sender->setAttribute(Qt::WA_DeleteOnClose);
    sender->show();
    QApplication::setActiveWindow(sender);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sender));
    prompts_.QueueOpenFile(WriteFile("slow.txt", "abcdef"));
    sender->OpenButton_Click();
    sender->Combo6().SetText("100");
    port_.ClearRecords();
    sender->SendButton_Click();
    ASSERT_TRUE(PumpEventsUntil([&] { return port_.Written() == "a"; }, 2s));
    QTest::keyClick(sender, Qt::Key_Escape);
    EXPECT_FALSE(sender->Sending());
    EXPECT_TRUE(sender->isVisible()) << "Escape was Stop";
    EXPECT_TRUE(prompts_.Messages().empty());
    QTest::keyClick(sender, Qt::Key_Escape);
    ASSERT_TRUE(PumpEventsUntil([&] { return sender == nullptr; }, 2s));
}

TEST_F(SendfrmTest, BinaryFileWithAVeryLongLineIsSentWholeAndShownInPart) {
    // No carriage return, so one line of 200,000 bytes: past a 16-bit position and past the
    // echo piece size; every other byte value, NUL and the caret's partner included.
    std::string line;
    std::mt19937 random(7);
    while (line.size() < 200'000) {
        const char c = static_cast<char>(random() & 0xFF);
        if (c != '\r' && c != '\n' && c != '^') {
            line += c;
        }
    }
    Sendfrm& sender = Restart(WriteFile("binary.bin", line));
    sender.Combo2().SetText("Ascii");
    SendAndWait(sender);
    EXPECT_EQ(port_.Written(), line + "\r\n");
    EXPECT_EQ(MonitorText(), line + "^M^J");
    EXPECT_TRUE(prompts_.Messages().empty());

    // The view shows a bounded prefix of a large file.
    Sendfrm& big = Restart(WriteFile("big.txt", std::string(3 * 1024 * 1024, 'x')));
    EXPECT_LT(big.RichTextBox1().toPlainText().size(), 1024 * 1024 + 200);
    EXPECT_TRUE(big.RichTextBox1().toPlainText().endsWith("the whole file is sent.]"));
}

using Clock = std::chrono::steady_clock;

using SenderOnPty = PtyWindowTest;

TEST_F(SenderOnPty, ByteDelayOfAHundredMillisecondsHoldsOnTheWire) {
    Sendfrm& sender = StartSender("0123456789");
    sender.Combo6().SetText("100");
    sender.SendButton_Click();

    // Ten bytes, each followed by its pause, then the line end.
    std::string arrived;
    std::vector<Clock::time_point> at;
    while (arrived.size() < 12) {
        const std::string byte = device_->Read(1, 2s);
        ASSERT_EQ(byte.size(), 1U) << "after " << arrived;
        arrived += byte;
        at.push_back(Clock::now());
    }
    EXPECT_EQ(arrived, "0123456789\r\n");
    const auto tenPauses =
        std::chrono::duration_cast<std::chrono::milliseconds>(at[10] - at[0]).count();
    RecordProperty("ten_byte_pauses_ms", static_cast<int>(tenPauses));
    EXPECT_GE(tenPauses, 800);
    EXPECT_LE(tenPauses, 1200);
    for (std::size_t i = 1; i < at.size() - 1; ++i) {
        EXPECT_GE(at[i] - at[i - 1], 60ms) << "pause " << i;
    }
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 2s));
}

TEST_F(SenderOnPty, EveryLineEndStyleSendsSevenLinesWithTheirPauses) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(end == "\n" ? "LF" : end == "\r" ? "CR" : "CR LF");
        std::string file;
        for (char line = '1'; line <= '7'; ++line) {
            file += std::string("line") + line + end;
        }
        Sendfrm& sender = StartSender(file);
        sender.Combo5().SetText("100");
        sender.SendButton_Click();
        std::vector<Clock::time_point> at;
        for (char line = '1'; line <= '7'; ++line) {
            const std::string expected = std::string("line") + line + "\r\n";
            std::string got;
            while (got.size() < expected.size()) {
                const std::string piece = device_->Read(expected.size() - got.size(), 2s);
                ASSERT_FALSE(piece.empty()) << "line " << line;
                got += piece;
            }
            EXPECT_EQ(got, expected);
            at.push_back(Clock::now());
        }
        for (std::size_t i = 1; i < at.size(); ++i) {
            EXPECT_GE(at[i] - at[i - 1], 60ms) << "pause before line " << i + 1;
        }
        ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 2s));
        EXPECT_EQ(device_->Read(1, 100ms), "") << "nothing after the seventh line";
        CloseWindows();
    }
}

TEST_F(SenderOnPty, LongSendWaitsForThePortAndDeliversEverything) {
    // One line of 1 MiB: nobody reads the other end at first, so the port cannot send; the
    // sender must wait instead of queueing the whole file.
    std::string line(1024 * 1024, 'k');
    Sendfrm& sender = StartSender(line);
    sender.Check1().setChecked(true);
    sender.SendButton_Click();
    int mostQueued = 0;
    PumpEventsUntil(
        [&] {
            mostQueued = std::max(mostQueued, port_->OutBufferCount());
            return false;
        },
        500ms);
    EXPECT_TRUE(sender.Sending());
    EXPECT_GT(mostQueued, 0) << "the port had to hold bytes back";
    EXPECT_LE(mostQueued, send_text::kMaxQueuedBytes + 1);

    std::string arrived;
    const auto deadline = Clock::now() + 60s;
    while (arrived.size() < line.size() && Clock::now() < deadline) {
        arrived += device_->Read(line.size() - arrived.size(), 200ms);
        mostQueued = std::max(mostQueued, port_->OutBufferCount());
    }
    EXPECT_EQ(arrived.size(), line.size());
    EXPECT_EQ(arrived, line);
    EXPECT_LE(mostQueued, send_text::kMaxQueuedBytes + 1);
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 5s));
    EXPECT_TRUE(prompts_.Messages().empty());
}

}  // namespace
}  // namespace kestrum
