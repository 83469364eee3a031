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
#include "storage/regular_file.h"
#include "storage/settings_store.h"
#include "support/memory_serial_port.h"
#include "support/scripted_prompts.h"
#include "ui/main/mainfrm.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

// One start-up on a settings file of its own holding `key` = `value`.
struct StartUp {
    StartUp(const QString& key, const QString& value) : settings(folder.filePath("Kestrum.ini")) {
        settings.SaveSetting(key, value);
        window = std::make_unique<Mainfrm>(state, settings, port, prompts);
        window->Form_Load();
        messages = QStringList(prompts.Messages().begin(), prompts.Messages().end());
    }

    // What the start-up shows of the value under `key`.
    QString Shown(const QString& key) {
        const QString name = key.toLower();
        if (name == "commport") {
            return window->Combo1().Text() + (port.PortOpen() ? " open" : " closed");
        }
        if (name == "commport1") {
            return port.Settings() + (port.PortOpen() ? " open " : " closed ") +
                   window->Combo3().Text() + "," + window->Combo4().Text();
        }
        if (name == "filetype") {
            return window->Combo2().Text();
        }
        if (name == "process") {
            return state.ProcessCrLfOn() ? "on" : "off";
        }
        return window->ComSetLabel().text() + "|" + window->Command(1).text();
    }

    // The state every start-up must reach, whatever the settings held. (The baud box may be
    // blank: a stored rate that is not in its list leaves it so.)
    void ExpectSane() {
        const QStringList ports{"1", "2", "3", "4"};
        EXPECT_TRUE(ports.contains(window->Combo1().Text()));
        EXPECT_EQ(port.CommPort(), window->Combo1().Text().toInt());
        const QStringList modes{"Ascii", "Hex", "Decimal"};
        EXPECT_EQ(state.MainMode, modes.indexOf(window->Combo2().Text()) + 1);
        EXPECT_FALSE(window->Combo4().Text().isEmpty());
        EXPECT_EQ(window->ToolbarButton("ProcessCrLf")->isChecked(), state.ProcessCrLf == 1);

        // A send reaches the port, opening it if start-up left it closed; the open dialog
        // starts from wherever the settings point.
        window->Combo2().SetText("Hex");
        window->SendBox().setText("41 ");
        window->SendButton_Click();
        EXPECT_TRUE(port.Written().ends_with("A"));
        prompts.QueueOpenFile(std::nullopt);
        window->OpenCommandSet();
        EXPECT_EQ(prompts.OpenRequests().size(), 1u);
        EXPECT_EQ(prompts.Messages().size(), static_cast<std::size_t>(messages.size()));
    }

    QTemporaryDir folder;
    SettingsStore settings;
    MemorySerialPort port;
    ScriptedPrompts prompts;
    AppState state;
    std::unique_ptr<Mainfrm> window;
    QStringList messages;  // what start-up said
};

struct Row {
    QString key;
    QString value;
    QString shown;
    QString message = {};  // the one warning, if any
};

TEST(BadSettings, StartUpComesUpSaneWithAtMostOneWarning) {
    const QString one = "1 open";
    const QString repaired = "9600,n,8,1 closed 9600,n,8,1";
    const QString baud = "Warning: This baud rate not supported for this port";
    const QString none = "|Command1";  // no command set loaded
    QTemporaryDir elsewhere;
    const Row rows[] = {
        // A port number outside the list is port 1. (Keys match in any case: SettingsStoreTest.)
        {"CommPort", "0", one},
        {"CommPort", "abc", one},
        {"CommPort", " 2", one},
        {"CommPort", "99999999999999999999", one},
        // Malformed line settings warn once; the port's working settings replace them.
        {"CommPort1", "", repaired, baud},
        {"CommPort1", "9600,x,9,3", repaired, baud},
        {"CommPort1", "0,n,8,1", repaired, baud},
        {"CommPort1", "99999999999,n,8,1", repaired, baud},
        {"CommPort1", "9600,n,8,1,1", repaired, baud},
        {"CommPort1", "9600, n, 8, 1", repaired, baud},
        // Unusual but valid line settings are taken.
        {"CommPort1", "19200,E,7,1", "19200,e,7,1 open 19200,e,7,1"},
        {"CommPort1", "1,n,8,1", "1,n,8,1 open ,n,8,1"},
        // An unknown notation is Hex.
        {"Filetype", "hex", "Hex"},
        {"Filetype", "Binary", "Hex"},
        {"Filetype", "Ascii ", "Hex"},
        // Process Cr/Lf is on for 1 only.
        {"Process", "abc", "off"},
        {"Process", "2", "off"},
        {"Process", " 1 ", "on"},
        {"Process", "1", "on"},
        // A command set name that is no file loads nothing.
        {"Filename", "", none},
        // A folder is not opened, and start-up says why the buttons are empty (a pipe or a
        // device: NotRegularFileTest).
        {"Filename", elsewhere.path(), none, NotRegularFileMessage(elsewhere.path())},
        {"Filename", elsewhere.filePath("missing.cmd"), none},
        {"Filename", QString(300, QChar('x')), none},
        {"Directory", "/no/such/folder", none},
        {"Directory", "", none},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE((row.key + "=" + row.value).toStdString());
        StartUp start(row.key, row.value);
        EXPECT_EQ(start.Shown(row.key), row.shown);
        EXPECT_EQ(start.messages, row.message.isEmpty() ? QStringList{} : QStringList{row.message});
        if (row.message == baud) {
            EXPECT_EQ(start.settings.GetSetting("CommPort1", "?"), "9600,n,8,1");
        }
        start.ExpectSane();
    }
}

TEST(BadSettings, AFormatPickBesideABaudRateOutsideTheListWarnsOnce) {
    // The baud box stays blank, so the settings the boxes make are refused; putting the format
    // box back is refused the same way, and must not be tried for ever.
    StartUp start("CommPort1", "1,n,8,1");
    ASSERT_TRUE(start.window->Combo3().Text().isEmpty());
    start.window->Combo4().SetText("e,7,1");
    const QStringList messages(start.prompts.Messages().begin(), start.prompts.Messages().end());
    EXPECT_EQ(messages, QStringList{"Warning: This format not supported for this port"});
    EXPECT_EQ(start.port.Settings(), "1,n,8,1");
    EXPECT_EQ(start.window->Combo4().Text(), "n,8,1");
    EXPECT_EQ(start.settings.GetSetting("CommPort1", "?"), "1,n,8,1");
    start.window->Combo3().SetText("9600");
    EXPECT_EQ(start.port.Settings(), "9600,n,8,1");
    EXPECT_EQ(start.prompts.Messages().size(), 1u);
}

}  // namespace
}  // namespace kestrum
