// The sequence window on a pseudo-terminal whose far end is a scripted device: runs and their
// verdicts, a recording that reruns, auto replies that answer in time and never loop.

#include <poll.h>
#include <unistd.h>

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "notation/checksum.h"
#include "session/sequence/sequence_recorder.h"
#include "session/sequence/sequence_session.h"
#include "session/text_file_send.h"
#include "support/pty_window.h"
#include "ui/main/sequence_menu.h"
#include "ui/main/status_line.h"
#include "ui/main/tool_windows.h"
#include "ui/tools/seqfrm.h"
#include "ui/tools/sequence_steps_model.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Plays a device from a thread of its own: answers each trigger it reads with its reply, or
// (echo) sends back everything it reads. Probe writes bytes and times the answer.
class ScriptedDevice {
public:
    ScriptedDevice(PtyPair& pty, std::vector<std::pair<std::string, std::string>> script,
                   bool echo = false)
        : master_(::dup(pty.MasterFd())), script_(std::move(script)), echo_(echo) {
        pty.CloseMaster();
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedDevice() {
        stop_ = true;
        thread_.join();
        ::close(master_);
    }

    // Writes `bytes`; Latency() is then the time until `answer` has arrived.
    void Probe(std::string bytes, std::string answer) {
        std::lock_guard lock(mutex_);
        probe_ = std::move(bytes);
        answer_ = std::move(answer);
        latency_ = -1;
    }
    Clock::duration Latency() const {
        std::lock_guard lock(mutex_);
        return latency_ < 0 ? Clock::duration::max() : Clock::duration(latency_);
    }
    std::size_t Read() const { return read_; }

private:
    void Run() {
        std::string pending;
        std::string sinceProbe;
        char buffer[4096];
        while (!stop_) {
            {
                std::lock_guard lock(mutex_);
                if (!probe_.empty()) {
                    sinceProbe.clear();
                    probeStart_ = Clock::now();
                    Write(std::exchange(probe_, {}));
                }
            }
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 5) <= 0) {
                continue;
            }
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                continue;
            }
            const std::string piece(buffer, static_cast<std::size_t>(n));
            read_ += piece.size();
            {
                std::lock_guard lock(mutex_);
                sinceProbe += piece;
                if (!answer_.empty() && latency_ < 0 &&
                    sinceProbe.find(answer_) != std::string::npos) {
                    latency_ = (Clock::now() - probeStart_).count();
                }
            }
            if (echo_) {
                Write(piece);
                continue;
            }
            pending += piece;
            for (bool found = true; found;) {
                found = false;
                for (const auto& [trigger, reply] : script_) {
                    if (const std::size_t at = pending.find(trigger); at != std::string::npos) {
                        pending.erase(0, at + trigger.size());
                        Write(reply);
                        found = true;
                    }
                }
            }
        }
    }
    void Write(const std::string& bytes) {
        if (!bytes.empty()) {
            static_cast<void>(::write(master_, bytes.data(), bytes.size()));
        }
    }

    int master_;
    std::vector<std::pair<std::string, std::string>> script_;
    bool echo_;
    std::atomic<bool> stop_ = false;
    std::atomic<std::size_t> read_ = 0;
    mutable std::mutex mutex_;
    std::string probe_;
    std::string answer_;
    Clock::time_point probeStart_;
    Clock::duration::rep latency_ = -1;
    std::thread thread_;
};

const std::vector<std::pair<std::string, std::string>> kDimmer = {
    {"AT\r", "OK\r\n"}, {"VER?\r", "V1.2\r\n"}, {"LOAD\r", "LOADED 7\r\n"}};

class SeqfrmTest : public PtyWindowTest {
protected:
    // The window in Ascii with its tool windows; the sequence `text` loaded from the menu.
    Seqfrm* OpenSequence(std::string_view text) {
        prompts_.QueueOpenFile(WriteFile("check.ksq", text));
        Window().SequenceItems().RunSequence().trigger();
        return tools_ == nullptr ? nullptr : tools_->SequenceWindow();
    }
    void StartWindow() {
        Start("Ascii");
        tools_ = new ToolWindows(Window());
    }
    QString Status() { return Window().Status().SequenceText(); }
    static QString Cell(Seqfrm& window, int row, int column) {
        return window.StepsModel().index(row, column).data().toString();
    }
    static QColor Colour(Seqfrm& window, int row) {
        return window.StepsModel().index(row, 0).data(Qt::BackgroundRole).value<QBrush>().color();
    }

    ToolWindows* tools_ = nullptr;
};

TEST_F(SeqfrmTest, RunShowsVerdictsColoursAndDetailRefusesTheUsersSendsAndStops) {
    ScriptedDevice device(*device_, kDimmer);
    StartWindow();
    Seqfrm* window = OpenSequence(R"(name = "Dimmer"
timeout_ms = 300
[[step]]
name = "Hello"
send = "AT^M"
expect = "OK"
[[step]]
name = "Version"
send = "VER?^M"
expect = "V2.0"
[[step]]
name = "Never answered"
send = "NOANS^M"
expect = "X"
[[step]]
name = "Slow"
wait_ms = 5000
send = "AT^M"
[[step]]
name = "After"
send = "AT^M"
)");
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->StepsModel().rowCount(), 5);
    EXPECT_EQ(Cell(*window, 1, SequenceStepsModel::SentColumn), "VER?^M");
    // A text file being sent would mix its lines into the steps' traffic: no run meanwhile.
    TextFileSend fileSend(Window().Traffic(), Window().State());
    fileSend.SetLineDelayMs(60'000);
    ASSERT_TRUE(fileSend.Start(WriteFile("lines.txt", "one\ntwo\n"), DisplayMode::Ascii));
    window->RunButton().click();
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{sequence_session_text::kMsgFileSending});
    EXPECT_FALSE(Window().Sequences().Running());
    fileSend.Stop();
    window->RunButton().click();
    EXPECT_FALSE(window->RunButton().isEnabled());
    EXPECT_TRUE(window->StopButton().isEnabled());
    // The user's own send during the run: refused, said once, nothing written.
    Window().SendBox().setText("USER^M");
    Window().SendButton_Click();
    Window().SendButton_Click();
    EXPECT_TRUE(Status().contains(sequence_session_text::kSendsRefused));
    EXPECT_EQ(Status().count(sequence_session_text::kSendsRefused), 1);
    ASSERT_TRUE(PumpEventsUntil(
        [&] { return Cell(*window, 2, SequenceStepsModel::VerdictColumn) == "FAILED"; }, 3s));
    // Clear and a display switch keep working; Stop mid-run ends the waiting step.
    Window().Clearmenu_Click();
    Window().PickDisplayMode(DisplayMode::Hex);
    window->StopButton().click();
    ASSERT_TRUE(PumpEventsUntil([&] { return !Window().Sequences().Running(); }, 2s));

    const char* verdicts[] = {"passed", "FAILED", "FAILED", "ERROR", "skipped"};
    const QRgb colours[] = {steps_ui::kPassedColour, steps_ui::kFailedColour,
                            steps_ui::kFailedColour, steps_ui::kErroredColour,
                            steps_ui::kSkippedColour};
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Cell(*window, row, SequenceStepsModel::VerdictColumn), verdicts[row]);
        EXPECT_EQ(Colour(*window, row).rgb() & 0xffffff, colours[row]);
    }
    EXPECT_EQ(window->Progress().value(), 5);
    EXPECT_TRUE(window->RunAgainButton().isEnabled());
    EXPECT_TRUE(Status().isEmpty()) << "the run's note goes with it";
    EXPECT_FALSE(QString::fromStdString(Window().Monitor().PlainText()).contains("55 53 45 52"))
        << "the refused send is not shown";

    // The mismatch in the window's notation (Hex now), the first differing byte marked:
    // "V1.2" against "V2.0" parts at the second byte.
    window->Steps().selectRow(1);
    const QString detail = window->Detail().toHtml();
    EXPECT_TRUE(detail.contains("56 ")) << detail.toStdString();
    EXPECT_TRUE(window->Detail().toPlainText().contains("56 31 2E 32"));
    EXPECT_TRUE(detail.contains("background-color:#ffd000")) << detail.toStdString();

    // The report: the same JUnit file as the command line's.
    const QString report = Path("report.xml");
    prompts_.QueueSaveFile(report);
    window->SaveReportButton().click();
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(xml.contains(R"(tests="5" failures="2" errors="1" skipped="1")"))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains(R"(<testcase name="Version" classname="Dimmer")"))
        << xml.toStdString();

    // Closing the window during a run stops it; the user's sends are free again.
    window->RunAgainButton().click();
    window->close();
    ASSERT_TRUE(PumpEventsUntil([&] { return !Window().Sequences().Running(); }, 2s));
    EXPECT_FALSE(Window().Traffic().UserSendsHeld());
}

TEST_F(SeqfrmTest, APortLostMidRunErrorsTheRestAndRunAgainWaitsForItsReturn) {
    auto device = std::make_unique<ScriptedDevice>(*device_, kDimmer);
    StartWindow();
    Seqfrm* window = OpenSequence(R"([[step]]
send = "AT^M"
expect = "OK"
[[step]]
wait_ms = 3000
send = "AT^M"
expect = "OK"
[[step]]
send = "VER?^M"
expect = "V1."
)");
    ASSERT_NE(window, nullptr);
    window->RunButton().click();
    ASSERT_TRUE(PumpEventsUntil(
        [&] { return Cell(*window, 0, SequenceStepsModel::VerdictColumn) == "passed"; }, 2s));
    device.reset();  // the device hangs up while the second step waits
    ASSERT_TRUE(PumpEventsUntil([&] { return !Window().Sequences().Running(); }, 3s));
    EXPECT_EQ(Cell(*window, 1, SequenceStepsModel::VerdictColumn), "ERROR");
    EXPECT_EQ(Cell(*window, 2, SequenceStepsModel::VerdictColumn), "ERROR")
        << "on_failure continue";
    EXPECT_EQ(window->StepsModel().index(1, 0).data(Qt::ToolTipRole).toString(), "device lost");

    // Run Again while the device is away waits for it, and runs once it is back.
    window->RunAgainButton().click();
    EXPECT_TRUE(Window().Sequences().Waiting());
    EXPECT_TRUE(Status().contains(sequence_session_text::kWaiting));
    ReturnDevice();
    device = std::make_unique<ScriptedDevice>(*device_, kDimmer);
    ASSERT_TRUE(PumpEventsUntil(
        [&] { return Cell(*window, 2, SequenceStepsModel::VerdictColumn) == "passed"; }, 10s));
    EXPECT_EQ(Cell(*window, 1, SequenceStepsModel::VerdictColumn), "passed");
}

TEST_F(SeqfrmTest, AFileWithAMistakeOpensNothingAndTenThousandStepsOpen) {
    StartWindow();
    EXPECT_EQ(OpenSequence("[[step]]\nsend = \"AT\"\nexpcet = \"OK\"\n"), nullptr);
    ASSERT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_TRUE(prompts_.Messages().front().endsWith(R"(check.ksq:3:1: unknown key "expcet")"))
        << prompts_.Messages().front().toStdString();

    std::string many;
    for (int i = 0; i < 10000; ++i) {
        many += "[[step]]\nsend = \"AT^M\"\nexpect = \"OK\"\n";
    }
    Seqfrm* window = OpenSequence(many);
    ASSERT_NE(window, nullptr);
    window->Steps().scrollToBottom();
    PumpEventsFor(20ms);
    EXPECT_EQ(window->StepsModel().rowCount(), 10000);
}

TEST_F(SeqfrmTest, FiveRecordedSendsSaveAndRerunAlsoAfterASwitchToHex) {
    for (const bool switchHalfway : {false, true}) {
        SCOPED_TRACE(switchHalfway);
        device_ = std::make_unique<PtyPair>();
        const std::string checked =
            AppendChecksum("^A^B", DisplayMode::Ascii, "CRC-16/MODBUS  (low byte first)");
        const std::string checkedBytes = EncodeTransmitBytes(checked, DisplayMode::Ascii);
        auto script = kDimmer;
        script.emplace_back(checkedBytes, "\x06");
        ScriptedDevice device(*device_, script);
        StartWindow();
        CommandSet set{};
        set[0] = {"Version", "56 45 52 3F 0D "};
        set[1] = {"Load", "4C 4F 41 44 0D "};
        Window().ApplyCommandSet(set);
        Window().SequenceItems().RecordSequence().trigger();
        ASSERT_TRUE(Window().Recorder().Recording());

        const auto send = [&](auto&& act) {
            const std::size_t before = device.Read();
            act();
            ASSERT_TRUE(PumpEventsUntil([&] { return device.Read() > before; }, 2s));
            PumpEventsFor(150ms);  // the reply
        };
        send([&] {
            Window().SendBox().setText("AT^M");
            Window().SendButton_Click();
        });
        send([&] { Window().Command_Click(1); });
        if (switchHalfway) {
            Window().PickDisplayMode(DisplayMode::Hex);
            Window().Clearmenu_Click();
        }
        send([&] { Window().Command_Click(2); });
        send([&] {
            const std::string text =
                switchHalfway ? ChangeMode(checked, DisplayMode::Ascii, DisplayMode::Hex) : checked;
            Window().SendBox().setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
            Window().SendButton_Click();
        });
        send([&] {
            Window().SendBox().setText(switchHalfway ? "41 54 0D " : "AT^M");
            Window().SendButton_Click();
        });
        ASSERT_EQ(Window().Recorder().Steps().size(), 5u);
        EXPECT_EQ(Window().Recorder().Steps()[1].name, "Version");
        EXPECT_EQ(Window().Recorder().Steps()[3].reply, "\x06");

        const QString saved = Path(switchHalfway ? "hex.ksq" : "ascii.ksq");
        prompts_.QueueSaveFile(saved);
        Window().SequenceItems().SaveRecording().trigger();
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.contains(switchHalfway ? "notation = \"Hex\"" : "notation = \"Ascii\""));
        EXPECT_TRUE(text.contains("settings = \"9600,n,8,1\"")) << text.toStdString();

        prompts_.QueueOpenFile(saved);
        Window().SequenceItems().RunSequence().trigger();
        Seqfrm* window = tools_->SequenceWindow();
        ASSERT_NE(window, nullptr);
        window->RunButton().click();
        ASSERT_TRUE(PumpEventsUntil([&] { return !Window().Sequences().Running(); }, 5s));
        const Counts counts = CountSuite(Window().Sequences().LastRun()->Suite());
        EXPECT_EQ(counts.passed, 5) << text.toStdString();
        EXPECT_TRUE(prompts_.Messages().empty());
        CloseWindows();
    }
}

TEST_F(SeqfrmTest, AutoRepliesAnswerInTimeAreShownAndCountedAndALoopIsBounded) {
    ScriptedDevice device(*device_, {});
    StartWindow();
    prompts_.QueueOpenFile(WriteFile("replies.ksq", R"([[step]]
send = "x"
[[reply]]
when = "PING"
send = "PING PONG^M"
[[reply]]
when = "LOGIN"
send = "admin^M"
)"));
    Window().SequenceItems().AutoReplies().trigger();
    ASSERT_TRUE(Window().Sequences().AutoRepliesOn());
    EXPECT_EQ(Status(), "Auto replies: 2 rules");
    std::vector<Clock::duration> latencies;
    for (int i = 0; i < 20; ++i) {
        device.Probe("PING", "PONG\r");
        ASSERT_TRUE(
            PumpEventsUntil([&] { return device.Latency() != Clock::duration::max(); }, 2s));
        latencies.push_back(device.Latency());
    }
    std::sort(latencies.begin(), latencies.end());
    const auto worst = std::chrono::duration_cast<std::chrono::microseconds>(latencies.back());
    std::printf("auto reply latency over 20 probes: median %lld us, worst %lld us\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(latencies[10]).count()),
                static_cast<long long>(worst.count()));
    EXPECT_LT(worst, 50ms);
    // Its own trigger in the reply is not answered again: one reply per probe.
    PumpEventsFor(100ms);
    EXPECT_EQ(Window().Sequences().AutoRepliesSent(), 20);
    EXPECT_EQ(Status(), "Auto replies: 2 rules, 20 sent");
    EXPECT_TRUE(QString::fromStdString(Window().Monitor().PlainText()).contains("PING PONG"));
    EXPECT_GE(Window().Session().Counters().Sent(), 20u * 10u);

    Window().SequenceItems().AutoReplies().trigger();
    EXPECT_FALSE(Window().Sequences().AutoRepliesOn());
    EXPECT_TRUE(Status().isEmpty());
}

TEST_F(SeqfrmTest, AnEchoingDeviceMakesARuleLoopThatIsStoppedAndSaidOnce) {
    ScriptedDevice device(*device_, {}, /*echo=*/true);
    StartWindow();
    prompts_.QueueOpenFile(WriteFile("loop.ksq",
                                     "[[step]]\nsend = \"x\"\n[[reply]]\n"
                                     "when = \"A\"\nsend = \"A\"\n"));
    Window().SequenceItems().AutoReplies().trigger();
    device.Probe("A", "");
    ASSERT_TRUE(PumpEventsUntil([&] { return Status().contains("answered 1000 times"); }, 10s))
        << Status().toStdString();
    PumpEventsFor(200ms);
    EXPECT_EQ(Window().Sequences().AutoRepliesSent(), 1000) << "stopped there";
    EXPECT_EQ(Status().count("Warning"), 1);
}

}  // namespace
}  // namespace kestrum
