#include "notation/entry_validation.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kestrum {
namespace {

using enum DisplayMode;

// A minimal entry field driven the way a widget drives the checks: filter each key, insert it
// or show the message, run the automatic space on every change of the text.
struct Field {
    Field(DisplayMode mode, EntryField kind, std::string text, int caret)
        : mode(mode), kind(kind), text(std::move(text)), caret(caret) {}

    DisplayMode mode;
    EntryField kind;
    std::string text;
    int caret;
    EntryState state;
    std::vector<std::string> messages;

    void Press(char key) {
        const KeyDecision decision = FilterKey(text, caret, key, mode, kind, state);
        if (!decision.accepted) {
            messages.emplace_back(*decision.message);
            return;
        }
        if (decision.key == kBackspaceKey) {
            if (caret > 0) {
                text.erase(static_cast<std::size_t>(--caret), 1);
                Changed();
            }
            return;
        }
        if (static_cast<unsigned char>(decision.key) < 32) {
            return;  // other control keys insert nothing
        }
        text.insert(static_cast<std::size_t>(caret++), 1, decision.key);
        Changed();
    }

    void Type(std::string_view keys) {
        for (char key : keys) {
            Press(key);
        }
    }

    void Changed() {
        if (auto edit = ApplyAutoSpace(state, static_cast<int>(text.size()))) {
            text.insert(static_cast<std::size_t>(edit->insertAt), 1, ' ');
            caret = edit->caretAfter;
            Changed();
        }
    }
};

struct TypingCase {
    const char* reason;
    DisplayMode mode;
    EntryField kind;
    std::string start;
    int startCaret;
    std::string keys;
    std::string expectedText;
    int expectedCaret;
    std::vector<std::string> expectedMessages;
};

void ExpectTyping(const std::vector<TypingCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        Field field{c.mode, c.kind, c.start, c.startCaret};
        field.Type(c.keys);
        EXPECT_EQ(field.text, c.expectedText);
        EXPECT_EQ(field.caret, c.expectedCaret);
        EXPECT_EQ(field.messages, c.expectedMessages);
    }
}

const std::string kHexKey(kHexKeyMessage);
const std::string kDecimalKey(kDecimalKeyMessage);
const std::string kSendBoxRange(kSendBoxDecimalRangeMessage);
const std::string kEditorRange(kEditorDecimalRangeMessage);
constexpr EntryField kSendBox = EntryField::SendBox;
constexpr EntryField kEditor = EntryField::EditorField;

TEST(EntryTyping, HexGroupsAndKeys) {
    ExpectTyping({
        {"space follows the second digit", Hex, kSendBox, "", 0, "41", "41 ", 3, {}},
        {"several groups", Hex, kSendBox, "", 0, "41420d", "41 42 0D ", 9, {}},
        {"a is inserted as A", Hex, kSendBox, "", 0, "a", "A", 1, {}},
        {"space bar refused", Hex, kSendBox, "4", 1, " ", "4", 1, {kHexKey}},
        {"letters past F refused", Hex, kEditor, "", 0, "gz", "", 0, {kHexKey, kHexKey}},
        {"refusal clears the flag", Hex, kSendBox, "4", 1, "x\b", "", 0, {kHexKey}},
        {"refused second digit leaves no space", Hex, kSendBox, "4", 1, "x1", "41 ", 3, {kHexKey}},
        {"typing inside a group splits it", Hex, kSendBox, "41", 1, "F", "4F 1", 3, {}},
        {"no second space when one follows", Hex, kSendBox, "4 42 ", 1, "1", "41 42 ", 2, {}},
        {"ascii takes every key unchanged", Ascii, kSendBox, "", 0, "a ^Mz", "a ^Mz", 5, {}},
    });
}

TEST(EntryTyping, DecimalGroupsAndRange) {
    ExpectTyping({
        {"space follows the third digit", Decimal, kSendBox, "", 0, "065", "065 ", 4, {}},
        {"255 is the largest group", Decimal, kSendBox, "", 0, "255", "255 ", 4, {}},
        {"256 refused, main window text",
         Decimal,
         kSendBox,
         "",
         0,
         "256",
         "25",
         2,
         {kSendBoxRange}},
        {"256 refused, editor text", Decimal, kEditor, "", 0, "256", "25", 2, {kEditorRange}},
        {"letters and signs refused",
         Decimal,
         kSendBox,
         "",
         0,
         "a-+",
         "",
         0,
         {kDecimalKey, kDecimalKey, kDecimalKey}},
        {"high Latin-1 key refused", Decimal, kSendBox, "", 0, "\xE9", "", 0, {kDecimalKey}},
        {"space bar accepted at the first position", Decimal, kSendBox, "", 0, " ", " ", 1, {}},
        // Space at a third position counts as 100*2 + 10*6 - 16 = 244: accepted, then the
        // automatic space follows it.
        {"space bar as third key within range", Decimal, kSendBox, "", 0, "26 ", "26  ", 4, {}},
        // 100*2 + 10*8 - 16 = 264: refused like a digit.
        {"space bar as third key out of range",
         Decimal,
         kSendBox,
         "",
         0,
         "28 ",
         "28",
         2,
         {kSendBoxRange}},
        {"second group checked on its own digits",
         Decimal,
         kSendBox,
         "",
         0,
         "001299",
         "001 29",
         6,
         {kSendBoxRange}},
        // A stale flag would put a space in on the change that the Backspace makes.
        {"refusal clears the flag", Decimal, kSendBox, "", 0, "299\b", "2", 1, {kSendBoxRange}},
    });
}

TEST(EntryTyping, BackspaceNeverRefusedAndLeavesFlag) {
    for (DisplayMode mode : {Hex, Decimal}) {
        SCOPED_TRACE(static_cast<int>(mode));
        for (EntryState before : {EntryState{7, true}, EntryState{3, false}}) {
            EntryState state = before;
            // Caret at a group-completing position with no space after it.
            const KeyDecision decision = FilterKey("12", 2, kBackspaceKey, mode, kSendBox, state);
            EXPECT_TRUE(decision.accepted);
            EXPECT_EQ(decision.key, kBackspaceKey);
            EXPECT_EQ(state.cursor, before.cursor);
            EXPECT_EQ(state.autoSpace, before.autoSpace);
        }
    }
    Field field{Hex, kSendBox, "41 ", 3};
    field.Type("\b\b4");
    EXPECT_EQ(field.text, "44 ");
    EXPECT_TRUE(field.messages.empty());
}

TEST(FilterKey, RecordsCursorAndFlag) {
    struct Case {
        const char* reason;
        DisplayMode mode;
        std::string text;
        int caret;
        char key;
        int expectedCursor;
        bool expectedFlag;
    };
    const std::vector<Case> cases = {
        {"Hex first digit", Hex, "", 0, '4', 1, false},
        {"Hex second digit at the end", Hex, "4", 1, '1', 2, true},
        {"Hex fifth position", Hex, "41 4", 4, '2', 5, true},
        {"Hex second digit before a space", Hex, "4 ", 1, '1', 2, false},
        {"Hex second digit before a digit", Hex, "41", 1, 'F', 2, true},
        {"Hex control code at a group end", Hex, "4", 1, '\x03', 2, true},
        {"Decimal third digit", Decimal, "06", 2, '5', 3, true},
        {"Decimal seventh position", Decimal, "065 06", 6, '6', 7, true},
        {"Decimal second digit", Decimal, "0", 1, '6', 2, false},
        {"caret past the end is clamped", Hex, "4", 9, '1', 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EntryState state;
        const KeyDecision decision = FilterKey(c.text, c.caret, c.key, c.mode, kSendBox, state);
        EXPECT_TRUE(decision.accepted);
        EXPECT_EQ(state.cursor, c.expectedCursor);
        EXPECT_EQ(state.autoSpace, c.expectedFlag);
    }

    EntryState ascii{5, false};
    EXPECT_TRUE(FilterKey("12", 1, 'x', Ascii, kSendBox, ascii).accepted);
    EXPECT_EQ(ascii.cursor, 5);
    EXPECT_FALSE(ascii.autoSpace);
}

TEST(ApplyAutoSpace, InsertsOnceAfterTheTypedCharacter) {
    EntryState state{2, true};
    const auto edit = ApplyAutoSpace(state, 2);
    ASSERT_TRUE(edit.has_value());
    EXPECT_EQ(edit->insertAt, 2);
    EXPECT_EQ(edit->caretAfter, 3);
    EXPECT_FALSE(state.autoSpace);
    EXPECT_FALSE(ApplyAutoSpace(state, 3).has_value());

    EntryState stale{9, true};
    const auto clamped = ApplyAutoSpace(stale, 4);
    ASSERT_TRUE(clamped.has_value());
    EXPECT_EQ(clamped->insertAt, 4);
}

struct WholeCase {
    const char* reason;
    std::string text;
    std::optional<std::string_view> message;
    int caret;
};

void ExpectWhole(DisplayMode mode, const std::vector<WholeCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const WholeStringResult result = CheckWholeString(c.text, mode);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.caret, c.caret);
        EXPECT_EQ(result.valid(), !c.message.has_value());
    }
}

TEST(CheckWholeString, Hex) {
    ExpectWhole(Hex, {
                         {"empty passes", "", std::nullopt, 0},
                         {"valid string, caret after first", "41 42 ", std::nullopt, 1},
                         {"control codes pass the digit test", "\x01\x02 ", std::nullopt, 1},
                         {"no final space, caret at end", "41 42", kHexStringMessage, 5},
                         {"leading space", " 41 ", kTooManySpacesMessage, 1},
                         {"two spaces in a row", "41  42 ", kTooManySpacesMessage, 4},
                         {"pasted lower case", "4a ", kHexStringMessage, 2},
                         {"bad first digit", "G1 ", kHexStringMessage, 1},
                         {"lone digit", "4", kHexStringMessage, 1},
                         {"wrong separator", "41x", kHexStringMessage, 3},
                         {"fault in a later group", "41 4F 1", kHexStringMessage, 7},
                     });
}

TEST(CheckWholeString, Decimal) {
    ExpectWhole(Decimal, {
                             {"empty passes", "", std::nullopt, 0},
                             {"valid string", "065 066 ", std::nullopt, 1},
                             {"above 255, caret after the group", "256 ", kDecimalStringMessage, 3},
                             {"only the value is tested", "0A0 ", std::nullopt, 1},
                             {"short group, caret at end", "06", kDecimalStringMessage, 2},
                             {"no final space", "065", kDecimalStringMessage, 3},
                             {"short later group", "065 0", kDecimalStringMessage, 5},
                             {"leading space", " 065 ", kTooManySpacesMessage, 1},
                             {"two spaces in a row", "065  066 ", kTooManySpacesMessage, 5},
                             {"wrong separator", "065x", kDecimalStringMessage, 4},
                         });
}

TEST(CheckWholeString, AsciiOnlyMovesTheCaret) {
    ExpectWhole(Ascii, {
                           {"empty", "", std::nullopt, 0},
                           {"anything passes", " 4a ^", std::nullopt, 1},
                       });
}

}  // namespace
}  // namespace kestrum
