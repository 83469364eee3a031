// The main window as a person sees it: every control laid out and painted. With
// KESTRUM_SCREENSHOT_DIR set, the picture is also written there for review.

#include <QAction>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include "storage/command_set_file.h"
#include "support/main_window_fixture.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/notation_field.h"

namespace kestrum {
namespace {

using LookTest = MainWindowTest;

TEST_F(LookTest, MainWindowWithACommandSetAndTraffic) {
    CommandSet set{};
    const char* labels[] = {"Reset",   "Status?", "Power On", "Power Off", "Input 1",
                            "Input 2", "Mute",    "Unmute",   "Vol +",     "Vol -"};
    for (int i = 0; i < 10; ++i) {
        set[static_cast<std::size_t>(i)] = {labels[i], "41 54 0D "};
    }
    ASSERT_TRUE(WriteCommandSet(Path("Demo.cmd"), set));
    settings_.SaveSetting("Filename", Path("Demo.cmd"));
    settings_.SaveSetting("Filetype", "Ascii");
    Mainfrm& window = Start();
    window.SendBox().setText("AT^M");
    window.SendButton_Click();
    port_.InjectReceived("OK\r\n");
    window.ToolbarButton("ProcessCrLf")->trigger();
    window.SendButton_Click();
    port_.InjectReceived("VERSION 2.01\r\nREADY\r\n");
    window.show();
    window.resize(window.sizeHint());

    const QImage image = window.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 780);
    EXPECT_EQ(window.Command(1).text(), "Reset");
    if (const QByteArray dir = qgetenv("KESTRUM_SCREENSHOT_DIR"); !dir.isEmpty()) {
        image.save(QString::fromLocal8Bit(dir) + "/main-window.png");
    }
}

}  // namespace
}  // namespace kestrum
