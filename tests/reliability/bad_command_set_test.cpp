// Hostile command set files opened from the main window: each gives the entries the format
// rules say, the window stays usable, and a command button sends its whole command. (Line ends,
// separators and the fortieth line are ParseCommandSet's table; here what the window shows.)

#include <QElapsedTimer>
#include <QPushButton>

#include "notation/byte_notation.h"
#include "storage/command_set_file.h"
#include "ui/editor/editor_fixture.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::string_literals;

struct HostileFile {
    const char* reason;
    std::string bytes;
    // The entries expected, from entry 1; every later entry is empty.
    std::vector<CommandEntry> entries;
};

const std::string kTenMegabytes(10 * 1024 * 1024, 'M');

std::vector<HostileFile> HostileFiles() {
    return {
        {"NUL bytes inside label and command are kept as bytes",
         "Lab\0el\x1E"
         "41 \0 42 \r\nTwo\x1E"
         "42 \r\n"s,
         {{"Lab\0el"s, "41 \0 42 "s}, {"Two", "42 "}}},
        {"a 10 MB label",
         kTenMegabytes + "\x1E"
                         "41 \r\nNext\x1E"
                         "42 \r\n",
         {{kTenMegabytes, "41 "}, {"Next", "42 "}}},
        {"a 10 MB command", "Big\x1E" + kTenMegabytes + "\r\n", {{"Big", kTenMegabytes}}},
        {"a separator-free first line empties everything",
         "just text\r\nA\x1E"
         "41 ",
         {}},
    };
}

using BadCommandSetTest = EditorTest;

TEST_F(BadCommandSetTest, HostileFilesGiveTheFormatsEntries) {
    Mainfrm& window = Start();
    for (const HostileFile& c : HostileFiles()) {
        SCOPED_TRACE(c.reason);
        prompts_.QueueOpenFile(WriteFile("hostile.cmd", c.bytes));
        window.Openmenu_Click();
        for (int i = 1; i <= 40; ++i) {
            const CommandEntry expected =
                static_cast<std::size_t>(i) <= c.entries.size() ? c.entries[i - 1] : CommandEntry{};
            ASSERT_TRUE(window.Command(i).text() == FromBytes(expected.label)) << "caption " << i;
            ASSERT_TRUE(state_.CommandStrings[i] == expected.command) << "command " << i;
        }
        EXPECT_TRUE(prompts_.Messages().empty());
    }
}

TEST_F(BadCommandSetTest, LongCommandsAndLabelsAreSentAndSavedWhole) {
    // Longer than a line edit holds by default (32767 characters).
    std::string command;
    std::string bytes;
    for (int i = 0; i < 20000; ++i) {
        command += "4" + std::string(1, "0123456789ABCDEF"[i % 16]) + " ";
        bytes += static_cast<char>(0x40 + i % 16);
    }
    const std::string label(40000, 'L');
    prompts_.QueueOpenFile(WriteFile("hostile.cmd", label + "\x1E" + command + "\r\n"));
    Mainfrm& window = StartWithTools();
    window.Openmenu_Click();

    window.Command(1).click();
    EXPECT_EQ(port_.Written().size(), bytes.size());
    EXPECT_TRUE(port_.Written() == bytes) << "the command was cut short";
    window.Combo2().SetText("Decimal");
    port_.ClearRecords();
    window.Command(1).click();
    EXPECT_TRUE(port_.Written() == bytes) << "the command was cut short in Decimal";

    // The editor shows, and saves, the whole label and command.
    window.Combo2().SetText("Hex");
    Editfrm& editor = OpenEditor();
    prompts_.QueueSaveFile(Path("resaved.cmd"));
    editor.SaveButton_Click();
    const std::optional<CommandSet> saved = ReadCommandSet(Path("resaved.cmd"));
    ASSERT_TRUE(saved.has_value());
    EXPECT_TRUE((*saved)[0].label == label) << "label of " << (*saved)[0].label.size();
    EXPECT_TRUE((*saved)[0].command == command) << "command of " << (*saved)[0].command.size();
    EXPECT_TRUE(prompts_.Messages().empty());
}

}  // namespace
}  // namespace kestrum
