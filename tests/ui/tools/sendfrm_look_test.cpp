// The text file sender and the port settings dialog as a person sees them, opened from the
// main window's toolbar. With KESTRUM_SCREENSHOT_DIR set, the pictures are written there.

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "support/main_window_fixture.h"
#include "support/pty_pair.h"
#include "ui/layout/proportional_layout.h"
#include "ui/main/drop_down_list.h"
#include "ui/tools/comfrm.h"
#include "ui/tools/sendfrm.h"
#include "ui/tools/tool_windows.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

class ToolLookTest : public MainWindowTest {
protected:
    void Save(QWidget& window, const char* name) {
        const QImage image = window.grab().toImage();
        ASSERT_FALSE(image.isNull());
        if (const QByteArray dir = qgetenv("KESTRUM_SCREENSHOT_DIR"); !dir.isEmpty()) {
            image.save(QString::fromLocal8Bit(dir) + "/" + name);
        }
    }
};

TEST_F(ToolLookTest, TextFileSenderFromTheToolbarAndEnlarged) {
    QFile file(Path("dimmer-scene.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "1B 53 30 31 0D \r\n1B 53 30 32 0D \r\n1B 4C 31 3D 46 46 0D \r\n"
        "1B 4C 32 3D 38 30 0D \r\n1B 47 4F 0D \r\n");
    file.close();
    settings_.SaveSetting("File", file.fileName());
    settings_.SaveSetting("Delay", "500");
    Start();
    ToolWindows tools(Window());
    Window().show();
    Window().ToolbarButton("SendText")->trigger();
    auto* sender = Window().findChild<Sendfrm*>();
    ASSERT_NE(sender, nullptr);
    ASSERT_TRUE(PumpEventsUntil([&] { return sender->isVisible(); }, 2s));
    EXPECT_EQ(sender->size(), QSize(send_ui::kDesignWidth, send_ui::kDesignHeight));
    sender->Combo2().SetText("Hex");
    sender->Label3().show();  // as during a send
    PumpEventsFor(50ms);
    Save(*sender, "send-text-file.png");

    // A second request raises the same window.
    Window().ToolbarButton("SendText")->trigger();
    EXPECT_EQ(Window().findChildren<Sendfrm*>().size(), 1);

    // 150 % by 120 %: controls and their text grow, the view's text keeps its size.
    const QFont viewFont = sender->RichTextBox1().font();
    const QRect sendButton = sender->SendButton().geometry();
    sender->resize(send_ui::kDesignWidth * 3 / 2, send_ui::kDesignHeight * 6 / 5);
    ASSERT_TRUE(PumpEventsUntil([&] { return sender->Layout().LastWidth() == 870; }, 2s));
    EXPECT_EQ(sender->SendButton().geometry(), QRect(660, 126, 198, 34));
    EXPECT_NE(sendButton, sender->SendButton().geometry());
    EXPECT_EQ(sender->SendButton().font().pixelSize(), 15);
    EXPECT_EQ(sender->RichTextBox1().font(), viewFont);
    PumpEventsFor(50ms);
    Save(*sender, "send-text-file-enlarged.png");
}

TEST_F(ToolLookTest, PortSettingsDialogFromTheToolbar) {
    settings_.SaveSetting("CommPort1", "19200,e,7,1");
    Start();
    ToolWindows tools(Window());
    Window().show();
    Window().ToolbarButton("SetCom")->trigger();
    auto* dialog = Window().findChild<Comfrm*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PumpEventsUntil([&] { return dialog->isVisible(); }, 2s));
    EXPECT_TRUE(dialog->ParityButton(3).isChecked());
    PumpEventsFor(50ms);
    Save(*dialog, "port-settings.png");

    // Closing destroys it; the next request opens a fresh one.
    dialog->CancelButton().click();
    ASSERT_TRUE(PumpEventsUntil([&] { return Window().findChild<Comfrm*>() == nullptr; }, 2s));
    // With a port number that names no device it warns, then offers only the device box.
    state_.BadPort = 1;
    Window().ToolbarButton("SetCom")->trigger();
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{"Warning: Invalid Port Number"});
    auto* limited = Window().findChild<Comfrm*>();
    ASSERT_NE(limited, nullptr);
    EXPECT_FALSE(limited->BaudBox().isEnabled());
    EXPECT_TRUE(limited->DeviceBox().isEnabled());
}

}  // namespace
}  // namespace kestrum
