// The windows as a person sees them: laid out and painted, captions that fit their places.
// With KESTRUM_SCREENSHOT_DIR set, the pictures are also written there for review.

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <QTableView>
#include <QTextBrowser>
#include "session/sequence/sequence_session.h"
#include "support/pty_pair.h"
#include "ui/editor/editor_fixture.h"
#include "ui/layout/proportional_layout.h"
#include "ui/main/command_button.h"
#include "ui/main/sequence_menu.h"
#include "ui/main/tool_windows.h"
#include "ui/tools/comfrm.h"
#include "ui/tools/sendfrm.h"
#include "ui/tools/seqfrm.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1_field.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

class ScreenshotTest : public EditorTest {
protected:
    // A command set of ten named commands, loaded at start-up.
    void StoreDemoSet() {
        const char* labels[] = {"Reset",   "Status?", "Power On", "Power Off", "Input 1",
                                "Input 2", "Mute",    "Unmute",   "Vol +",     "Vol -"};
        CommandSet set{};
        for (std::size_t i = 0; i < 10; ++i) {
            set[i] = {labels[i], i % 2 == 0 ? "41 54 0D " : "1B 40 30 31 0D 0A "};
        }
        StoreStartupSet(set);
    }

    // Every caption and list of the main window shows its whole text inside the window.
    static void ExpectNothingCutOff(Mainfrm& window, const std::string& when) {
        SCOPED_TRACE(when);
        const QRect client = window.ClientArea().rect();
        for (const QWidget* control : window.ClientArea().findChildren<QWidget*>()) {
            const auto* label = qobject_cast<const QLabel*>(control);
            const auto* list = qobject_cast<const QComboBox*>(control);
            if (control->isHidden() || (label == nullptr && list == nullptr) ||
                control->parentWidget() != &window.ClientArea()) {
                continue;
            }
            const std::string text =
                label != nullptr ? label->text().toStdString() : list->currentText().toStdString();
            EXPECT_LE(control->sizeHint().width(), control->width()) << text;
            EXPECT_TRUE(client.contains(control->geometry())) << text;
        }
        for (const CommandButton* button : window.ClientArea().findChildren<CommandButton*>()) {
            if (!button->isHidden()) {
                EXPECT_EQ(button->ShownText(), button->text());
            }
        }
    }

    // Paints `window` and writes the picture `name` when asked to.
    static QImage Picture(QWidget& window, const char* name) {
        const QImage image = window.grab().toImage();
        EXPECT_FALSE(image.isNull());
        if (const QByteArray dir = qgetenv("KESTRUM_SCREENSHOT_DIR"); !dir.isEmpty()) {
            image.save(QString::fromLocal8Bit(dir) + "/" + name);
        }
        return image;
    }
};

TEST_F(ScreenshotTest, MainWindowWithACommandSetAndTraffic) {
    // The default captions, "Command10" the widest, at the design size.
    Mainfrm& fresh = Start();
    fresh.show();
    fresh.resize(fresh.sizeHint());
    ExpectNothingCutOff(fresh, "default captions");
    CloseWindows();

    StoreDemoSet();
    settings_.SaveSetting("Filetype", "Ascii");
    Mainfrm& window = Start();
    window.SendBox().setText("AT^M");
    window.SendButton_Click();
    port_.InjectReceived("OK\r\n");
    window.ToolbarButton("ProcessCrLf")->trigger();
    window.SendButton_Click();
    port_.InjectReceived("VERSION 2.01\r\nREADY\r\n");
    port_.InjectInputLines({.cts = true, .dsr = true});
    window.show();
    window.resize(window.sizeHint());
    PumpEventsFor(150ms);  // the status line shows its counters
    EXPECT_GE(Picture(window, "main-window.png").width(), 780);
    ExpectNothingCutOff(window, "design size");

    // 150 %, and a window grown in height only (text grows more than its room).
    const QSize design = window.ClientArea().size();
    const QSize frame = window.size() - design;
    for (const QSize client : {design * 3 / 2, QSize(design.width(), design.height() * 3 / 2)}) {
        window.resize(client + frame);
        ASSERT_TRUE(PumpEventsUntil(
            [&] {
                return window.Layout().LastWidth() == client.width() &&
                       window.Layout().LastHeight() == client.height();
            },
            2s));
        ExpectNothingCutOff(window,
                            std::to_string(client.width()) + "x" + std::to_string(client.height()));
        if (client == design * 3 / 2) {
            Picture(window, "main-window-150.png");
        }
    }
}

TEST_F(ScreenshotTest, EditorAndCalculatorCaptionsFitAndStayClearOfTheControls) {
    StoreDemoSet();
    settings_.SaveSetting("Filetype", "Ascii");
    StartWithTools();
    Editfrm& editor = OpenEditor();
    EXPECT_EQ(Picture(editor, "editor.png").size(), QSize(559, 454)) << "the design client size";
    for (const QLabel* label : editor.findChildren<QLabel*>()) {
        if (label->isHidden()) {
            continue;
        }
        const std::string text = label->text().toStdString();
        EXPECT_LE(label->sizeHint().width(), label->width()) << text;
        EXPECT_TRUE(editor.rect().contains(label->geometry())) << text;
        for (const QWidget* other : editor.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!other->isHidden() && qobject_cast<const QLabel*>(other) == nullptr) {
                EXPECT_FALSE(label->geometry().intersects(other->geometry()))
                    << text << " overlaps " << other->metaObject()->className();
            }
        }
    }

    // The calculator: its captions and the longest checksum type fit.
    Window().Combo2().SetText("Hex");
    Window().SendBox().setText("02 31 30 30 03 ");
    Window().CheckButton_Click();
    Checkfrm* calculator = Calculator();
    ASSERT_NE(calculator, nullptr);
    calculator->CalculateButton_Click();
    Picture(*calculator, "checksum-calculator.png");
    EXPECT_LE(calculator->Combo1().sizeHint().width(), calculator->Combo1().width());
    for (const QLabel* label : calculator->findChildren<QLabel*>()) {
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    }
    for (const QPushButton* button : calculator->findChildren<QPushButton*>()) {
        const int textWidth = button->fontMetrics().horizontalAdvance(button->text());
        EXPECT_LE(textWidth + 16, button->width()) << button->text().toStdString();
    }
}

TEST_F(ScreenshotTest, TextFileSenderFromTheToolbarAndEnlarged) {
    QFile file(Path("dimmer-scene.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "1B 53 30 31 0D \r\n1B 53 30 32 0D \r\n1B 4C 31 3D 46 46 0D \r\n"
        "1B 4C 32 3D 38 30 0D \r\n1B 47 4F 0D \r\n");
    file.close();
    settings_.SaveSetting("File", file.fileName());
    settings_.SaveSetting("Delay", "500");
    StartWithTools().show();
    Window().ToolbarButton("SendText")->trigger();
    auto* sender = Window().findChild<Sendfrm*>();
    ASSERT_NE(sender, nullptr);
    ASSERT_TRUE(PumpEventsUntil([&] { return sender->isVisible(); }, 2s));
    EXPECT_EQ(sender->size(), QSize(send_ui::kDesignWidth, send_ui::kDesignHeight));
    sender->Combo2().SetText("Hex");
    sender->Label3().show();  // as during a send
    PumpEventsFor(50ms);
    Picture(*sender, "send-text-file.png");
    Window().ToolbarButton("SendText")->trigger();
    EXPECT_EQ(Window().findChildren<Sendfrm*>().size(), 1) << "a second request raises it";

    // 150 % by 120 %: controls and their text grow, the view's text keeps its size.
    const QFont viewFont = sender->RichTextBox1().font();
    sender->resize(send_ui::kDesignWidth * 3 / 2, send_ui::kDesignHeight * 6 / 5);
    ASSERT_TRUE(PumpEventsUntil([&] { return sender->Layout().LastWidth() == 870; }, 2s));
    EXPECT_EQ(sender->SendButton().geometry(), QRect(660, 126, 198, 34));
    EXPECT_EQ(sender->SendButton().font().pixelSize(), 15);
    EXPECT_EQ(sender->RichTextBox1().font(), viewFont);
    PumpEventsFor(50ms);
    Picture(*sender, "send-text-file-enlarged.png");
}

TEST_F(ScreenshotTest, PortSettingsFromTheToolbarAlsoWhenThePortNamesNoDevice) {
    settings_.SaveSetting("CommPort1", "19200,e,7,1");
    StartWithTools().show();
    Window().ToolbarButton("SetCom")->trigger();
    auto* dialog = Window().findChild<Comfrm*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PumpEventsUntil([&] { return dialog->isVisible(); }, 2s));
    PumpEventsFor(50ms);
    Picture(*dialog, "port-settings.png");

    // Closing destroys it. With a port number that names no device the toolbar warns
    // (PortStartTest) and still opens it, with only the device box (ComfrmTest).
    dialog->CancelButton().click();
    ASSERT_TRUE(PumpEventsUntil([&] { return Window().findChild<Comfrm*>() == nullptr; }, 2s));
    port_.SetOpenFailure(1, PortErrorKind::InvalidPortNumber);
    Window().Combo1().SetText("1");
    Window().ToolbarButton("SetCom")->trigger();
    EXPECT_NE(Window().findChild<Comfrm*>(), nullptr);
}

TEST_F(ScreenshotTest, SequenceWindowAfterARunAtTheDesignSizeAndAt150Percent) {
    StartWithTools().show();
    QFile file(Path("dimmer.ksq"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "name = \"Dimmer rack check\"\n[[step]]\nname = \"Hello\"\nsend = \"AT^M\"\n"
        "[[step]]\nname = \"Version\"\nsend = \"VER?^M\"\nexpect = \"V1.\"\ntimeout_ms = 50\n"
        "[[step]]\nname = \"Quiet after reset\"\nsend = \"RST^M\"\nexpect_silence_ms = 30\n"
        "repeat = 2\n");
    file.close();
    prompts_.QueueOpenFile(file.fileName());
    Window().SequenceItems().RunSequence().trigger();
    auto* window = Window().findChild<Seqfrm*>();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PumpEventsUntil([&] { return window->isVisible(); }, 2s));
    EXPECT_EQ(window->size(), QSize(seq_ui::kDesignWidth, seq_ui::kDesignHeight));
    window->RunButton().click();
    ASSERT_TRUE(PumpEventsUntil([&] { return !Window().Sequences().Running(); }, 3s));
    window->Steps().selectRow(1);
    EXPECT_FALSE(window->Detail().toPlainText().isEmpty());

    const auto expectNothingCut = [&](const char* name) {
        SCOPED_TRACE(name);
        PumpEventsFor(50ms);
        Picture(*window, name);
        for (const QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->isHidden()) {
                continue;
            }
            EXPECT_TRUE(window->rect().contains(control->geometry()))
                << control->metaObject()->className();
            if (const auto* button = qobject_cast<const QPushButton*>(control)) {
                EXPECT_LE(button->sizeHint().width(), button->width())
                    << button->text().toStdString();
            }
        }
    };
    expectNothingCut("sequence.png");
    window->resize(seq_ui::kDesignWidth * 3 / 2, seq_ui::kDesignHeight * 3 / 2);
    ASSERT_TRUE(PumpEventsUntil([&] { return window->Layout().LastWidth() == 960; }, 2s));
    EXPECT_EQ(window->RunButton().geometry(), QRect(720, 471, 228, 36));
    expectNothingCut("sequence-150.png");
}

}  // namespace
}  // namespace kestrum
