// Hostile text files given to the text file sender: binary, NUL-only, a folder. (Empty files,
// empty lines and a Decimal token that is no number: SendfrmTest; a device or pipe stored as
// the file: NotRegularFileTest.) Each ends in the stated outcome, with at most
// one message, and the sender is idle and usable afterwards.

#include <QPushButton>

#include "notation/byte_notation.h"
#include "support/main_window_fixture.h"
#include "support/pty_pair.h"  // PumpEventsUntil
#include "ui/widgets/drop_down_list.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

std::string AllByteValues() {
    std::string bytes;
    for (int v = 0; v < 256; ++v) {
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}

// The bytes the sender writes for a file in Ascii: its lines (a CR, or CR LF, ends one; a lone
// LF is part of the line) each encoded by the notation's token rules and followed by CR LF.
std::string SentInAscii(const std::string& file) {
    std::string sent;
    std::string line;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] != '\r') {
            line += file[i];
            continue;
        }
        sent += EncodeTransmitBytes(line, DisplayMode::Ascii) + "\r\n";
        line.clear();
        if (i + 1 < file.size() && file[i + 1] == '\n') {
            ++i;
        }
    }
    if (!line.empty()) {
        sent += EncodeTransmitBytes(line, DisplayMode::Ascii) + "\r\n";
    }
    return sent;
}

struct HostileText {
    const char* reason;
    std::string file;
    const char* fileType;
    std::string sent;
    std::vector<QString> messages;
};

using SenderBadFileTest = MainWindowTest;

TEST_F(SenderBadFileTest, HostileFilesEndAsTheirTypeRulesSay) {
    const QString formatError = QString::fromLatin1(send_text::kMsgFormatError);
    const std::string binary = AllByteValues() + AllByteValues();
    const HostileText cases[] = {
        {"binary as Ascii: every byte by the caret rules, CR ends lines",
         binary,
         "Ascii",
         SentInAscii(binary),
         {}},
        {"binary as Hex: the first token is not a number", binary, "Hex", "", {formatError}},
        {"NUL bytes as Ascii",
         std::string(1000, '\0'),
         "Ascii",
         // append, not +: g++ 12 -O2 with a precompiled header wrongly warns (-Warray-bounds).
         std::string(1000, '\0').append("\r\n"),
         {}},
        {"good Hex, then binary", "41 42\r\n\x01\x02\xFF"s, "Hex", "AB\r\n", {formatError}},
    };
    Start();
    for (const HostileText& c : cases) {
        SCOPED_TRACE(c.reason);
        Sendfrm& sender = OpenSender(WriteFile("hostile.txt", c.file));
        sender.Combo2().SetText(c.fileType);
        port_.ClearRecords();
        prompts_ = ScriptedPrompts();
        sender.SendButton_Click();
        ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 20s));
        EXPECT_TRUE(port_.Written() == c.sent) << port_.Written().size() << " bytes sent";
        EXPECT_EQ(prompts_.Messages(), c.messages);
        EXPECT_TRUE(sender.OpenButton().isEnabled());
    }
}

TEST_F(SenderBadFileTest, AFolderIsNoFileToSend) {
    Start();
    Sendfrm& sender = OpenSender(Path(""));
    prompts_ = ScriptedPrompts();
    sender.SendButton_Click();
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 5s));
    EXPECT_EQ(port_.Written(), "");
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{send_text::kMsgFileNotFound});
}

}  // namespace
}  // namespace kestrum
