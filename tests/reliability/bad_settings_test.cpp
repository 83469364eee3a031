// Settings values that are empty, not numbers, out of range or in the wrong case, for every key
// the main window reads at start-up. Whatever the file holds, the window comes up in a sane
// state (each box shows one of its entries, the notation is one of the three, the port number
// is the box's), says at most the one warning the value deserves, and a send works.

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "session/app_state.h"
#include "session/port_constants.h"
#include "storage/settings_store.h"
#include "support/memory_serial_port.h"
#include "support/scripted_prompts.h"
#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/monitor/data_monitor.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using Stored = std::vector<std::pair<QString, QString>>;

// One start-up on a settings file of its own.
struct StartUp {
    explicit StartUp(const Stored& stored) : settings(folder.filePath("Kestrum.ini")) {
        for (const auto& [key, value] : stored) {
            settings.SaveSetting(key, value);
        }
        window = std::make_unique<Mainfrm>(state, settings, port, prompts);
        window->Form_Load();
    }

    // The state every start-up must reach, whatever the settings held. (The baud box may be
    // blank: a stored rate that is not in its list leaves it so.)
    void ExpectSane() {
        const QStringList ports{"1", "2", "3", "4"};
        EXPECT_TRUE(ports.contains(window->Combo1().Text()))
            << window->Combo1().Text().toStdString();
        EXPECT_EQ(port.CommPort(), window->Combo1().Text().toInt());
        const QStringList modes{"Ascii", "Hex", "Decimal"};
        ASSERT_TRUE(modes.contains(window->Combo2().Text()));
        EXPECT_EQ(state.MainMode, modes.indexOf(window->Combo2().Text()) + 1);
        EXPECT_FALSE(window->Combo4().Text().isEmpty());
        EXPECT_EQ(window->ToolbarButton("ProcessCrLf")->isChecked(), state.ProcessCrLf == 1);

        // A send reaches the port, opening it if start-up left it closed.
        window->Combo2().SetText("Hex");
        window->SendBox().setText("41 ");
        const std::size_t messages = prompts.Messages().size();
        window->SendButton_Click();
        EXPECT_EQ(prompts.Messages().size(), messages) << "the send was refused";
        EXPECT_TRUE(port.Written().ends_with("A"));
    }

    QStringList Messages() const {
        return QStringList(prompts.Messages().begin(), prompts.Messages().end());
    }

    QTemporaryDir folder;
    SettingsStore settings;
    MemorySerialPort port;
    ScriptedPrompts prompts;
    AppState state;
    std::unique_ptr<Mainfrm> window;
};

struct Case {
    const char* reason;
    QString key;
    QString value;
};

TEST(BadSettings, PortNumberOutsideTheListFallsBackToPortOne) {
    const Case cases[] = {
        {"zero", "CommPort", "0"},
        {"too large", "CommPort", "99"},
        {"empty", "CommPort", ""},
        {"not a number", "CommPort", "abc"},
        {"negative", "CommPort", "-1"},
        {"a fraction", "CommPort", "1.5"},
        {"padded", "CommPort", " 2"},
        {"wrong key case, bad value", "COMMPORT", "5"},
        {"a huge number", "Commport", "99999999999999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        StartUp start(Stored{{c.key, c.value}});
        EXPECT_EQ(start.window->Combo1().Text(), "1");
        EXPECT_TRUE(start.port.PortOpen());
        EXPECT_TRUE(start.Messages().isEmpty()) << start.Messages().join('|').toStdString();
        start.ExpectSane();
    }
    StartUp keyInOtherCase(Stored{{"commport", "3"}});
    EXPECT_EQ(keyInOtherCase.window->Combo1().Text(), "3");
    keyInOtherCase.ExpectSane();
}

TEST(BadSettings, MalformedLineSettingsWarnOnceAndAreRepaired) {
    const Case cases[] = {
        {"empty", "CommPort1", ""},
        {"not settings", "CommPort1", "abc"},
        {"baud only", "CommPort1", "9600"},
        {"bad parity, data and stop bits", "CommPort1", "9600,x,9,3"},
        {"zero baud", "CommPort1", "0,n,8,1"},
        {"baud beyond any integer", "CommPort1", "99999999999,n,8,1"},
        {"a field too many", "CommPort1", "9600,n,8,1,1"},
        {"spaces", "CommPort1", "9600, n, 8, 1"},
        {"key in another case", "COMMPORT1", "9600,q,8,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        StartUp start(Stored{{c.key, c.value}});
        EXPECT_EQ(start.Messages(), QStringList{port_text::kMsgBaudNotSupported});
        EXPECT_FALSE(start.port.PortOpen());
        EXPECT_EQ(start.settings.GetSetting("CommPort1", "?"), "9600,n,8,1")
            << "the port's working settings replace the bad ones";
        EXPECT_EQ(start.window->Combo3().Text(), "9600");
        EXPECT_EQ(start.window->Combo4().Text(), "n,8,1");
        start.ExpectSane();
    }
}

TEST(BadSettings, UnusualButValidLineSettingsAreTaken) {
    struct Taken {
        const char* reason;
        QString value;
        QString applied;
    };
    const Taken cases[] = {
        {"parity letter in upper case", "19200,E,7,1", "19200,e,7,1"},
        {"a baud rate not in the list", "1,n,8,1", "1,n,8,1"},
    };
    for (const Taken& c : cases) {
        SCOPED_TRACE(c.reason);
        StartUp start(Stored{{"CommPort1", c.value}});
        EXPECT_TRUE(start.Messages().isEmpty()) << start.Messages().join('|').toStdString();
        EXPECT_TRUE(start.port.PortOpen());
        EXPECT_EQ(start.port.Settings(), c.applied);
        start.ExpectSane();
    }
}

TEST(BadSettings, AFormatPickBesideABaudRateOutsideTheListWarnsOnce) {
    // The baud box stays blank, so the settings the boxes make are refused; putting the format
    // box back is refused the same way, and must not be tried for ever.
    StartUp start(Stored{{"CommPort1", "1,n,8,1"}});
    ASSERT_TRUE(start.window->Combo3().Text().isEmpty());
    start.window->Combo4().SetText("e,7,1");
    EXPECT_EQ(start.Messages(), QStringList{port_text::kMsgFormatNotSupported});
    EXPECT_EQ(start.port.Settings(), "1,n,8,1");
    EXPECT_EQ(start.window->Combo4().Text(), "n,8,1");
    EXPECT_EQ(start.settings.GetSetting("CommPort1", "?"), "1,n,8,1");
    start.window->Combo3().SetText("9600");
    EXPECT_EQ(start.port.Settings(), "9600,n,8,1");
    EXPECT_EQ(start.Messages().size(), 1);
}

TEST(BadSettings, UnknownNotationFallsBackToHex) {
    const Case cases[] = {
        {"lower case", "Filetype", "hex"}, {"upper case", "Filetype", "DECIMAL"},
        {"empty", "Filetype", ""},         {"unknown", "Filetype", "Binary"},
        {"padded", "Filetype", "Ascii "},  {"a number", "Filetype", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        StartUp start(Stored{{c.key, c.value}});
        EXPECT_EQ(start.window->Combo2().Text(), "Hex");
        EXPECT_EQ(start.state.MainMode, 2);
        EXPECT_TRUE(start.Messages().isEmpty());
        start.ExpectSane();
    }
    StartUp keyInOtherCase(Stored{{"FILETYPE", "Decimal"}});
    EXPECT_EQ(keyInOtherCase.state.MainMode, 3);
}

TEST(BadSettings, ProcessCrLfOtherThanOneLeavesLinesUnbroken) {
    struct Flag {
        const char* reason;
        QString value;
        bool processed;
    };
    const Flag cases[] = {
        {"empty", "", false},
        {"negative", "-1", false},
        {"too large", "99999", false},
        {"not a number", "abc", false},
        {"two", "2", false},
        {"one, padded", " 1 ", true},
        {"one", "1", true},
    };
    for (const Flag& c : cases) {
        SCOPED_TRACE(c.reason);
        StartUp start(Stored{{"Process", c.value}, {"Filetype", "Ascii"}});
        EXPECT_EQ(start.state.ProcessCrLfOn(), c.processed);
        start.port.InjectReceived("a\r\nb");
        EXPECT_EQ(start.window->Monitor().PlainText(), c.processed ? "a\r\nb" : "a^M^Jb");
        EXPECT_TRUE(start.Messages().isEmpty());
        start.ExpectSane();
    }
}

TEST(BadSettings, CommandSetNameThatIsNoFileLoadsNothing) {
    QTemporaryDir elsewhere;
    const Case cases[] = {
        {"empty", "Filename", ""},
        {"a folder", "Filename", elsewhere.path()},
        {"a device", "Filename", "/dev/null"},
        {"missing", "Filename", elsewhere.filePath("missing.cmd")},
        {"not a path", "Filename", QString(300, QChar('x'))},
        {"start folder missing", "Directory", "/no/such/folder"},
        {"start folder empty", "Directory", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        StartUp start(Stored{{c.key, c.value}});
        EXPECT_TRUE(start.window->ComSetLabel().text().isEmpty());
        EXPECT_EQ(start.window->Command(1).text(), "Command1");
        EXPECT_TRUE(start.Messages().isEmpty());
        start.ExpectSane();
        // The open dialog still starts, from wherever the setting points.
        start.prompts.QueueOpenFile(std::nullopt);
        start.window->OpenCommandSet();
        EXPECT_EQ(start.prompts.OpenRequests().size(), 1u);
    }
}

}  // namespace
}  // namespace kestrum
