#include "notation/entry_validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrum {
namespace {

using enum DisplayMode;
constexpr EntryField kSendBox = EntryField::SendBox;
constexpr EntryField kEditor = EntryField::EditorField;
constexpr std::string_view kHexKey = kHexKeyMessage;
constexpr std::string_view kDecimalKey = kDecimalKeyMessage;
constexpr std::string_view kSendBoxRange = kSendBoxDecimalRangeMessage;
constexpr std::string_view kEditorRange = kEditorDecimalRangeMessage;

struct Typed {
    std::string text;  // with "|" at the caret
    std::vector<std::string_view> messages;
};

// Types `keys` into a field holding `text` (caret at its "|") the way a widget drives the
// checks: filter each key, insert it or show the message, run the automatic space on every
// change of the text.
Typed Type(DisplayMode mode, EntryField kind, std::string text, std::string_view keys) {
    int caret = static_cast<int>(text.find('|'));
    text.erase(static_cast<std::size_t>(caret), 1);
    EntryState state;
    Typed typed;
    for (char key : keys) {
        const KeyDecision decision = FilterKey(text, caret, key, mode, kind, state);
        if (!decision.accepted) {
            typed.messages.push_back(*decision.message);
            continue;
        }
        if (decision.key == kBackspaceKey && caret > 0) {
            text.erase(static_cast<std::size_t>(--caret), 1);
        } else if (static_cast<unsigned char>(decision.key) >= 32) {
            text.insert(static_cast<std::size_t>(caret++), 1, decision.key);
        } else {
            continue;  // no change of the text, no change notification
        }
        if (auto edit = ApplyAutoSpace(state, static_cast<int>(text.size()))) {
            text.insert(static_cast<std::size_t>(edit->insertAt), 1, ' ');
            caret = edit->caretAfter;
            EXPECT_FALSE(ApplyAutoSpace(state, static_cast<int>(text.size())))
                << "the space's own change notification inserts nothing";
        }
    }
    typed.text = text.insert(static_cast<std::size_t>(caret), "|");
    return typed;
}

TEST(EntryTyping, KeysAreFilteredAndGroupsGetTheirSpace) {
    struct Case {
        const char* reason;
        DisplayMode mode;
        EntryField kind;
        const char* start;
        const char* keys;
        const char* expected;
        std::vector<std::string_view> messages;
    };
    const Case cases[] = {
        {"space follows the second digit", Hex, kSendBox, "|", "41", "41 |", {}},
        {"several groups, a is inserted as A", Hex, kSendBox, "|", "41420d", "41 42 0D |", {}},
        {"space bar refused", Hex, kSendBox, "4|", " ", "4|", {kHexKey}},
        {"letters past F refused", Hex, kEditor, "|", "gz", "|", {kHexKey, kHexKey}},
        {"refusal clears the flag", Hex, kSendBox, "4|", "x\b", "|", {kHexKey}},
        {"refused second digit leaves no space", Hex, kSendBox, "4|", "x1", "41 |", {kHexKey}},
        {"typing inside a group splits it", Hex, kSendBox, "4|1", "F", "4F |1", {}},
        {"no second space when one follows", Hex, kSendBox, "4| 42 ", "1", "41| 42 ", {}},
        {"Backspace is never refused", Hex, kSendBox, "41 |", "\b\b4", "44 |", {}},
        {"Backspace at a group end sets no flag", Hex, kSendBox, "4|1", "\b", "|1", {}},
        {"Ascii takes every key unchanged", Ascii, kSendBox, "|", "a ^Mz", "a ^Mz|", {}},
        {"space follows the third digit", Decimal, kSendBox, "|", "065", "065 |", {}},
        {"255 is the largest group", Decimal, kSendBox, "|", "255", "255 |", {}},
        {"256 refused, main window text", Decimal, kSendBox, "|", "256", "25|", {kSendBoxRange}},
        {"256 refused, editor text", Decimal, kEditor, "|", "256", "25|", {kEditorRange}},
        {"letters and signs refused",
         Decimal,
         kSendBox,
         "|",
         "a-+",
         "|",
         {kDecimalKey, kDecimalKey, kDecimalKey}},
        {"high Latin-1 key refused", Decimal, kSendBox, "|", "\xE9", "|", {kDecimalKey}},
        {"space bar accepted at the first position", Decimal, kSendBox, "|", " ", " |", {}},
        // As a third key the space bar counts as 100*2 + 10*6 - 16 = 244, or with 8 as 264.
        {"space bar as third key within range", Decimal, kSendBox, "|", "26 ", "26  |", {}},
        {"space bar as third key out of range",
         Decimal,
         kSendBox,
         "|",
         "28 ",
         "28|",
         {kSendBoxRange}},
        {"second group checked on its own digits",
         Decimal,
         kSendBox,
         "|",
         "001299",
         "001 29|",
         {kSendBoxRange}},
        // A stale flag would put a space in on the change that the Backspace makes.
        {"refusal clears the flag", Decimal, kSendBox, "|", "299\b", "2|", {kSendBoxRange}},
        {"Backspace at a third position sets no flag", Decimal, kSendBox, "06|5", "\b", "0|5", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const Typed typed = Type(c.mode, c.kind, c.start, c.keys);
        EXPECT_EQ(typed.text, c.expected);
        EXPECT_EQ(typed.messages, c.messages);
    }
}

// Keys that change no text leave their mark in the state all the same.
TEST(FilterKey, StateOfKeysThatInsertNothing) {
    EntryState state;
    EXPECT_TRUE(FilterKey("4", 1, '\x03', Hex, kSendBox, state).accepted);
    EXPECT_EQ(state.cursor, 2) << "a control code at a group end";
    EXPECT_TRUE(state.autoSpace);
    for (DisplayMode mode : {Hex, Decimal}) {
        state = EntryState{7, true};
        EXPECT_TRUE(FilterKey("065", 2, kBackspaceKey, mode, kSendBox, state).accepted);
        EXPECT_EQ(state.cursor, 7) << "Backspace leaves the recorded cursor";
        EXPECT_TRUE(state.autoSpace) << "and the flag";
    }
    state = EntryState{};
    EXPECT_TRUE(FilterKey("4", 9, '1', Hex, kSendBox, state).accepted);
    EXPECT_EQ(state.cursor, 2) << "a caret past the end is clamped";
    state = EntryState{9, true};
    EXPECT_EQ(ApplyAutoSpace(state, 4)->insertAt, 4) << "so is a stale cursor";
}

TEST(CheckWholeString, ReportsTheFirstFaultWithTheCaretAfterIt) {
    struct Case {
        const char* reason;
        DisplayMode mode;
        const char* text;
        std::optional<std::string_view> message;
        int caret;
    };
    const Case cases[] = {
        {"empty passes", Hex, "", {}, 0},
        {"valid string, caret after first", Hex, "41 42 ", {}, 1},
        {"control codes pass the digit test", Hex, "\x01\x02 ", {}, 1},
        {"no final space, caret at end", Hex, "41 42", kHexStringMessage, 5},
        {"leading space", Hex, " 41 ", kTooManySpacesMessage, 1},
        {"two spaces in a row", Hex, "41  42 ", kTooManySpacesMessage, 4},
        {"pasted lower case", Hex, "4a ", kHexStringMessage, 2},
        {"bad first digit", Hex, "G1 ", kHexStringMessage, 1},
        {"lone digit", Hex, "4", kHexStringMessage, 1},
        {"wrong separator", Hex, "41x", kHexStringMessage, 3},
        {"fault in a later group", Hex, "41 4F 1", kHexStringMessage, 7},
        {"empty passes", Decimal, "", {}, 0},
        {"valid string", Decimal, "065 066 ", {}, 1},
        {"above 255, caret after the group", Decimal, "256 ", kDecimalStringMessage, 3},
        {"only the value is tested", Decimal, "0A0 ", {}, 1},
        {"short group, caret at end", Decimal, "06", kDecimalStringMessage, 2},
        {"no final space", Decimal, "065", kDecimalStringMessage, 3},
        {"short later group", Decimal, "065 0", kDecimalStringMessage, 5},
        {"leading space", Decimal, " 065 ", kTooManySpacesMessage, 1},
        {"two spaces in a row", Decimal, "065  066 ", kTooManySpacesMessage, 5},
        {"wrong separator", Decimal, "065x", kDecimalStringMessage, 4},
        {"empty passes", Ascii, "", {}, 0},
        {"anything passes, the caret moves", Ascii, " 4a ^", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const WholeStringResult result = CheckWholeString(c.text, c.mode);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.caret, c.caret);
        EXPECT_EQ(result.valid(), !c.message.has_value());
    }
}

}  // namespace
}  // namespace kestrum
