// A pipe or a terminal where a file was expected: picked as the text file to send, as a command
// set, as a save target of the Data Monitor and of the editor, and a pipe stored as the
// sender's file. Each is refused with a message naming it and nothing waits on it. A text file
// cut short while it is sent stops the send without completing the cut line.

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "session/port_session.h"
#include "session/text_file_send.h"
#include "session/text_file_source.h"
#include "session/traffic_path.h"
#include "storage/regular_file.h"
#include "support/pty_pair.h"
#include "support/reliability_helpers.h"
#include "ui/editor/editor_constants.h"
#include "ui/editor/editor_fixture.h"
#include "ui/main/main_constants.h"
#include "ui/tools/sendfrm.h"
#include "ui/widgets/drop_down_list.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

// Should the program wait on the pipe or terminal after all, this feeds it a line and an end
// every second so that the test fails on its checks instead of hanging.
class Unblocker {
public:
    Unblocker(QString fifo, int ptyMaster)
        : fifo_(QFile::encodeName(fifo)), master_(ptyMaster), thread_([this] { Run(); }) {}
    ~Unblocker() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        for (int tick = 0; !stop_; ++tick) {
            std::this_thread::sleep_for(50ms);
            if (tick % 20 != 19) {
                continue;
            }
            // Opening both ways never waits, and wakes a reader waiting in open().
            if (const int fd = ::open(fifo_.constData(), O_RDWR | O_NONBLOCK); fd >= 0) {
                [[maybe_unused]] const auto wrote = ::write(fd, "x\r", 2);
                ::close(fd);
            }
            [[maybe_unused]] const auto wrote = ::write(master_, "x\r", 2);
        }
    }

    QByteArray fifo_;
    int master_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class NotRegularFileTest : public EditorTest {
protected:
    NotRegularFileTest() { EXPECT_EQ(::mkfifo(QFile::encodeName(fifo_).constData(), 0600), 0); }

    std::vector<QString> Hostile() const { return {fifo_, pty_.DevicePath()}; }

    // Runs `action`, which must not wait on anything: well under the unblocker's first second.
    void Quickly(const std::function<void()>& action) {
        QElapsedTimer clock;
        clock.start();
        action();
        EXPECT_LT(clock.elapsed(), 800) << "the window waited on the file";
    }

    void ExpectOnlyMessage(const QString& text) {
        EXPECT_EQ(prompts_.Messages(), std::vector<QString>{text});
        prompts_ = ScriptedPrompts();
    }

    QString fifo_ = Path("pipe");
    PtyPair pty_;
    Unblocker unblocker_{fifo_, pty_.MasterFd()};
    std::unique_ptr<Sendfrm> sender_;  // goes before the main window
};

TEST_F(NotRegularFileTest, ChosenAsTheTextFileToSend) {
    QFile good(Path("good.txt"));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write("41 42\r\n");
    good.close();
    settings_.SaveSetting(settings::kTextFile, good.fileName());
    Start();
    sender_ = std::make_unique<Sendfrm>(Window().Tools());
    for (const QString& path : Hostile()) {
        SCOPED_TRACE(path.toStdString());
        prompts_.QueueOpenFile(path);
        Quickly([&] { sender_->OpenButton_Click(); });
        ExpectOnlyMessage(NotRegularFileMessage(path));
        EXPECT_EQ(settings_.GetSetting(settings::kTextFile), good.fileName());
        EXPECT_EQ(sender_->Text1().text(), good.fileName());
        EXPECT_EQ(sender_->RichTextBox1FileName(), good.fileName());
    }
    EXPECT_EQ(DetectFileType(fifo_), std::nullopt);
}

TEST_F(NotRegularFileTest, StoredAsTheSendersFileItIsNotOpenedAndForgotten) {
    settings_.SaveSetting(settings::kTextFile, fifo_);
    Start();
    Quickly([&] { sender_ = std::make_unique<Sendfrm>(Window().Tools()); });
    ExpectOnlyMessage(NotRegularFileMessage(fifo_));
    EXPECT_EQ(sender_->Text1().text(), "");
    EXPECT_EQ(sender_->RichTextBox1().toPlainText(), "");
    // Said once: the next opening of the window starts empty and quiet.
    sender_.reset();
    Quickly([&] { sender_ = std::make_unique<Sendfrm>(Window().Tools()); });
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{});
}

TEST_F(NotRegularFileTest, StoredAsTheStartUpCommandSetItIsNotOpened) {
    settings_.SaveSetting("Filename", fifo_);
    Quickly([&] { Start(); });
    ExpectOnlyMessage(NotRegularFileMessage(fifo_));
    EXPECT_NE(Window().ComSetLabel().text(), fifo_);
}

TEST_F(NotRegularFileTest, ChosenAsACommandSet) {
    StoreStartupSet(CommandSet{{{"Reset", "1B 40 "}}});
    Mainfrm& window = StartWithTools();
    for (const QString& path : Hostile()) {
        SCOPED_TRACE(path.toStdString());
        prompts_.QueueOpenFile(path);
        Quickly([&] { window.OpenCommandSet(); });
        ExpectOnlyMessage(NotRegularFileMessage(path));
        EXPECT_EQ(window.Command(1).text(), "Reset") << "the entries stay";
    }
}

TEST_F(NotRegularFileTest, ChosenAsASaveTarget) {
    StoreStartupSet(CommandSet{});
    Mainfrm& window = StartWithTools();
    port_.InjectReceived("data");
    Editfrm& editor = OpenEditor();
    for (const QString& path : Hostile()) {
        SCOPED_TRACE(path.toStdString());
        prompts_.QueueSaveFile(path);
        Quickly([&] { window.Savemenu_Click(); });
        ExpectOnlyMessage(
            QStringLiteral("%1 %2: %3").arg(main_ui::kMsgSaveFailed, path, kNotRegularFileReason));
        prompts_.QueueSaveFile(path);
        Quickly([&] { editor.SaveButton_Click(); });
        ExpectOnlyMessage(QStringLiteral("%1 %2: %3")
                              .arg(editor_ui::kMsgSaveFailed, path, kNotRegularFileReason));
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo_).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe was not swapped for a file";
}

TEST_F(NotRegularFileTest, AFileCutShortDuringASendStopsItMidLine) {
    // 2,000 lines of 99 characters and CR LF: more than one read of the sender.
    constexpr int kLines = 2000;
    constexpr int kLineBytes = 101;
    QFile file(Path("long.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < kLines; ++i) {
        file.write(QByteArray(kLineBytes - 2, 'a' + static_cast<char>(i % 26)) + "\r\n");
    }
    file.close();
    Start();
    bool open = false;
    Window().Session().OpenForSend([&open] { open = true; });
    ASSERT_TRUE(open);
    // The engine itself, so that the cut comes at a known line: the 10th of the first read's
    // 648; the cut is in the middle of line 1,000, in the second read.
    TextFileSend send(Window().Traffic(), state_);
    constexpr qint64 kCutAt = 999 * kLineBytes + 40;
    int lines = 0;
    QObject::connect(&send, &TextFileSend::LineSent, [&] {
        if (++lines == 10) {
            EXPECT_TRUE(file.resize(kCutAt));
        }
    });
    std::string echoed;
    QObject::connect(&Window().Traffic(), &TrafficPath::Sent,
                     [&](const SentTraffic& out) { echoed += out.echo; });
    std::vector<QString> warnings;
    QObject::connect(&send, &TextFileSend::Warning,
                     [&](const QString& text) { warnings.push_back(text); });
    port_.ClearRecords();
    ASSERT_TRUE(send.Start(file.fileName(), DisplayMode::Ascii));
    ASSERT_TRUE(PumpEventsUntil([&] { return !send.Running(); }, 20s));
    EXPECT_EQ(warnings, std::vector<QString>{QString::fromLatin1(send_text::kMsgFileChanged)});
    const std::string& sent = port_.Written();
    EXPECT_EQ(sent.size(), static_cast<std::size_t>(kCutAt)) << "every byte read went out";
    const std::string cutLine(40, 'a' + 999 % 26);
    EXPECT_EQ(sent.substr(sent.size() - 40), cutLine) << "the cut line ends without a line end";
    EXPECT_EQ(lines, 999);
    const std::size_t lastWhole = echoed.rfind(std::string(kLineBytes - 2, 'a' + 998 % 26));
    ASSERT_NE(lastWhole, std::string::npos);
    EXPECT_EQ(echoed.find(cutLine[0], lastWhole), std::string::npos) << "the cut line is echoed";
}

}  // namespace
}  // namespace kestrum
