// The main window end to end on a real pseudo-terminal: typed, sent, received.

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <QTest>

#include "platform/qt_serial_port.h"
#include "storage/settings_store.h"
#include "support/pty_pair.h"
#include "support/scripted_prompts.h"
#include "ui/main/app_state.h"
#include "ui/main/data_monitor.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/mainfrm.h"
#include "ui/main/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

TEST(MainWindowOnPty, TypedStringArrivesAndAnswerShowsInRed) {
    PtyPair pty;
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath("Kestrum.ini"));
    settings.SaveSetting("Device1", pty.DevicePath());
    settings.SaveSetting("Filetype", "Ascii");
    QtSerialPort port(DevicesFromSettings(settings));
    ScriptedPrompts prompts;
    AppState state;
    Mainfrm window(state, settings, port, prompts);
    window.Form_Load();
    ASSERT_TRUE(prompts.Messages().empty()) << prompts.Messages()[0].toStdString();
    ASSERT_TRUE(port.PortOpen());

    QTest::keyClicks(&window.SendBox(), "AT^M");
    window.SendButton_Click();
    EXPECT_EQ(pty.Read(3), "AT\r");

    window.Combo2().SetText("Hex");
    const std::string before = window.Monitor().PlainText();
    ASSERT_TRUE(pty.Write("OK\r\n"));
    ASSERT_TRUE(PumpEventsUntil(
        [&] { return window.Monitor().PlainText().size() >= before.size() + 12; }, 2000ms));
    EXPECT_EQ(window.Monitor().PlainText(), before + "4F 4B 0D 0A ");
    EXPECT_EQ(window.Monitor().Text().ColourAt(before.size()), kReceiveColour);
}

}  // namespace
}  // namespace kestrum
