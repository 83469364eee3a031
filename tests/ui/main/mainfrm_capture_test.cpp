// Capture and Find from the main window's menus, on the in-memory port.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QSaveFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <sys/resource.h>

#include "platform/shutdown_signals.h"
#include "session/capture.h"
#include "session/sequence/sequence_recorder.h"
#include "storage/file_size_limit.h"
#include "support/main_window_fixture.h"
#include "support/pty_pair.h"
#include "ui/editor/editfrm.h"
#include "ui/main/find_bar.h"
#include "ui/main/main_constants.h"
#include "ui/main/status_line.h"
#include "ui/widgets/drop_down_list.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

using Span = std::pair<std::size_t, std::size_t>;  // selection start and length

class CaptureMenuTest : public MainWindowTest {
protected:
    void StartCapture(const QString& path) {
        prompts_.QueueSaveFile(path);
        Window().MenuEntry("StartCapturemenu")->trigger();
    }
};

TEST_F(CaptureMenuTest,
       FilesACaptureMustNotWriteAreRefusedWithOneMessageEachAndTheRunningOneGoesOn) {
    Start();
    const QString sent = WriteFile("send.txt", "line\r\n");
    settings_.SaveSetting("File", sent);
    state_.CommandFileName = WriteFile("set.cmd", "set");
    QDir(folder_.path()).mkpath("a-folder");
    StartCapture(Path("run.log"));
    WriteFile("plain-file", "");
    const struct {
        const char* reason;
        QString path;
        QString message;
    } cases[] = {
        {"a folder", Path("a-folder"),
         QString::fromLatin1(capture_text::kMsgCannotStart)
             .arg(Path("a-folder"), "Not a regular file")},
        {"a folder that is a file", Path("plain-file/c.log"),
         QString::fromLatin1(capture_text::kMsgCannotStart)
             .arg(Path("plain-file/c.log"), "Not a directory")},
        {"the sender's file, named another way", Path("a-folder/../send.txt"),
         QString::fromLatin1(capture_text::kMsgSenderFile).arg(Path("a-folder/../send.txt"))},
        {"the command set file", state_.CommandFileName,
         QString::fromLatin1(capture_text::kMsgCommandSetFile).arg(state_.CommandFileName)},
        // Rewritten whole at each change, it would lose every setting to the capture.
        {"the settings file", settings_.FileName(),
         QString::fromLatin1(capture_text::kMsgSettingsFile).arg(settings_.FileName())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::size_t before = prompts_.Messages().size();
        StartCapture(c.path);
        ASSERT_EQ(prompts_.Messages().size(), before + 1);
        EXPECT_EQ(prompts_.Messages().back(), c.message);
        // The capture that ran goes on undisturbed.
        EXPECT_EQ(Window().TrafficCapture().Path(), Path("run.log"));
        EXPECT_EQ(Window().Status().ExtraText(), "Capturing to run.log");
        EXPECT_TRUE(Window().MenuEntry("StopCapturemenu")->isEnabled());
    }
    // The reverse: Save Data over the running capture's file.
    prompts_.QueueSaveFile(Path("a-folder/../run.log"));
    Window().MenuEntry("Savemenu")->trigger();
    EXPECT_EQ(prompts_.Messages().back(),
              QString::fromLatin1(capture_text::kMsgCaptureFile)
                  .arg(Path("a-folder/../run.log"), capture_text::kSavedMonitor));
    // Nor the command set editor's Save nor a recording; nothing is saved over the settings.
    const auto overCapture = [&](const char* saved) {
        return QString::fromLatin1(capture_text::kMsgCaptureFile).arg(Path("run.log"), saved);
    };
    Editfrm editor(Window().Tools());
    prompts_.QueueSaveFile(Path("run.log"));
    editor.SaveButton_Click();
    EXPECT_EQ(prompts_.Messages().back(), overCapture(capture_text::kSavedCommandSet));
    prompts_.QueueSaveFile(settings_.FileName());
    editor.SaveButton_Click();
    EXPECT_EQ(prompts_.Messages().back(),
              QString::fromLatin1(capture_text::kMsgSettingsNotReplaced)
                  .arg(settings_.FileName(), capture_text::kSavedCommandSet));
    EXPECT_EQ(Window().Recorder().Save(Path("run.log")),
              overCapture(capture_text::kSavedRecording));
    EXPECT_EQ(Window().TrafficCapture().Path(), Path("run.log"));
    Window().MenuEntry("StopCapturemenu")->trigger();
    EXPECT_EQ(Window().Status().ExtraText(), "");
    EXPECT_EQ(FileBytes(sent), "line\r\n");
    EXPECT_EQ(FileBytes(state_.CommandFileName), "set");

    // The next run's dialog starts in the folder of the last capture that started.
    CloseWindows();
    state_ = AppState{};
    Start();
    prompts_.QueueSaveFile(std::nullopt);
    Window().MenuEntry("StartCapturemenu")->trigger();
    EXPECT_EQ(prompts_.SaveRequests().back().directory, folder_.path());
}

TEST_F(CaptureMenuTest, ALogCaptureTellsWhatHappenedToTheLinkOnLinesOfItsOwn) {
    Mainfrm& window = Start();
    StartCapture(Path("events.log"));
    window.Combo3().SetText("19200");
    port_.LoseDevice("gone");
    ASSERT_TRUE(PumpEventsUntil([&] { return port_.PortOpen(); }, 3s)) << "the watch reopens";
    port_.InjectReceived("A");
    window.ToolbarButton("ClosePort")->trigger();
    window.MenuEntry("StopCapturemenu")->trigger();
    QStringList lines;
    for (const QString& line : QString::fromLatin1(FileBytes(Path("events.log"))).split('\n')) {
        lines << line.mid(24);  // after "2026-12-07 10:58:21.998 "
    }
    EXPECT_EQ(lines, QStringList({"EVENT settings changed: 19200,n,8,1",
                                  "EVENT device lost: /dev/ttyS0 (gone)",
                                  "EVENT reopened by the watch: /dev/ttyS0 19200,n,8,1", "RX 41",
                                  "EVENT port closed: /dev/ttyS0", ""}));

    // The raw form stays the received bytes only.
    StartCapture(Path("raw.bin"));
    window.ToolbarButton("ClosePort")->trigger();
    port_.InjectReceived("B");
    window.MenuEntry("StopCapturemenu")->trigger();
    EXPECT_EQ(FileBytes(Path("raw.bin")), "B");
}

TEST_F(CaptureMenuTest, AFullDiskStopsTheCaptureWithOneMessageAndKeepsWhatWasWritten) {
    Start();
    port_.Open();
    StartCapture(Path("full.bin"));
    std::string received(3 * capture_text::kFlushBytes, '\0');
    for (std::size_t i = 0; i < received.size(); ++i) {
        received[i] = static_cast<char>(i * 13 % 251);
    }
    {
        const FileSizeLimit limit(100'000);
        ASSERT_TRUE(limit.active());
        port_.InjectReceived(received);
        port_.InjectReceived("more");
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{QString::fromLatin1(capture_text::kMsgStopped)
                                       .arg(Path("full.bin"), std::strerror(EFBIG))});
    EXPECT_EQ(Window().Status().ExtraText(), "");
    EXPECT_TRUE(FileBytes(Path("full.bin")).toStdString() == received.substr(0, 100'000));
    EXPECT_EQ(MonitorText().size(), 3 * (received.size() + 4)) << "the monitor shows it all";
}

TEST_F(CaptureMenuTest, AFileNoLongerAtItsPathStopsTheCaptureWithOneMessageAtTheNextFlush) {
    Start();
    port_.Open();
    const std::string burst(capture_text::kFlushBytes, 'x');  // a flush of its own
    const struct {
        const char* reason;
        QString path;
        std::function<void()> take;
    } cases[] = {
        {"its folder removed", Path("gone/c.bin"), [&] { QDir(Path("gone")).removeRecursively(); }},
        {"replaced by a save to its name", Path("c.bin"),
         [&] {
             QSaveFile other(Path("c.bin"));
             ASSERT_TRUE(other.open(QIODevice::WriteOnly));
             other.write("other");
             ASSERT_TRUE(other.commit());
         }},
    };
    QDir(folder_.path()).mkpath("gone");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::size_t before = prompts_.Messages().size();
        StartCapture(c.path);
        port_.InjectReceived(burst);
        c.take();
        port_.InjectReceived(burst);
        port_.InjectReceived(burst);
        QCoreApplication::processEvents();
        ASSERT_EQ(prompts_.Messages().size(), before + 1);
        EXPECT_EQ(prompts_.Messages().back(),
                  QString::fromLatin1(capture_text::kMsgVanished).arg(c.path));
        EXPECT_EQ(Window().Status().ExtraText(), "") << "no longer capturing";
    }
    EXPECT_EQ(FileBytes(Path("c.bin")), "other") << "the file now at the path is left alone";
}

// Under a file size limit the capture and Save Data fail with "File too large" and say so, as
// on a full disk; without the program's own setting SIGXFSZ would end the process.
TEST_F(CaptureMenuTest, AFileSizeLimitGivesTheFullDiskMessagesInsteadOfEndingTheProcess) {
    GTEST_FLAG_SET(death_test_style, "fast");
    Start();
    port_.Open();
    const auto writePastTheLimit = [&] {
        IgnoreFileSizeSignal();
        const rlimit limit{1000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        StartCapture(Path("limit.bin"));
        port_.InjectReceived(std::string(capture_text::kFlushBytes, 'x'));
        QCoreApplication::processEvents();
        prompts_.QueueSaveFile(Path("limit.txt"));
        Window().MenuEntry("Savemenu")->trigger();
        const QString tooLarge = std::strerror(EFBIG);
        const std::vector<QString> expected{
            QString::fromLatin1(capture_text::kMsgStopped).arg(Path("limit.bin"), tooLarge),
            QString::fromLatin1(main_ui::kMsgSaveFailed) + " " + Path("limit.txt") + ": " +
                tooLarge};
        // Straight out, as a forked child should: the window and the fonts stay as they are.
        std::_Exit(prompts_.Messages() == expected ? 0 : 1);
    };
    EXPECT_EXIT(writePastTheLimit(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(FileBytes(Path("limit.bin")).size(), 1000) << "the capture up to the limit";
    EXPECT_FALSE(QFile::exists(Path("limit.txt")));
}

TEST_F(CaptureMenuTest, FindSelectsEachHitInTurnAndSaysNotFoundInItsWindow) {
    settings_.SaveSetting("Filetype", "Ascii");
    Start();
    port_.Open();
    port_.InjectReceived("ok Ok OK");
    const kestrum::MonitorText& text = Window().Monitor().Text();
    Window().MenuEntry("Findmenu")->trigger();
    FindBar& find = Window().Finder();
    find.Text().setText("ok");
    const auto selected = [&] { return Span(text.SelectionStart(), text.SelectionLength()); };
    Window().MenuEntry("FindNextmenu")->trigger();
    EXPECT_EQ(selected(), Span(0, 2));
    Window().MenuEntry("FindNextmenu")->trigger();
    EXPECT_EQ(selected(), Span(3, 2)) << "either case by default";
    find.MatchCase().setChecked(true);
    find.Text().setText("OK");
    Window().MenuEntry("FindPreviousmenu")->trigger();
    EXPECT_EQ(selected(), Span(6, 2)) << "round the start";
    EXPECT_EQ(find.Status(), "");
    for (const QString& wanted : {QString("Ok OK!"), QString::fromUtf8("ok\xE2\x82\xAC")}) {
        find.Text().setText(wanted);
        Window().MenuEntry("FindNextmenu")->trigger();
        EXPECT_EQ(find.Status(), "Not found") << wanted.toStdString();
        EXPECT_EQ(selected(), Span(6, 2));
    }
    EXPECT_TRUE(prompts_.Messages().empty());
}

}  // namespace
}  // namespace kestrum
