#include "notation/entry_validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrum {
namespace {

using enum DisplayMode;
constexpr EntryField kSendBox = EntryField::SendBox;
constexpr std::string_view kHexKey = kHexKeyMessage;
constexpr std::string_view kDecimalKey = kDecimalKeyMessage;
constexpr std::string_view kSendBoxRange = kSendBoxDecimalRangeMessage;

struct Typed {
    std::string text;  // with "|" at the caret
    std::vector<std::string_view> messages;
};

// Types `keys` into the String to Send box holding `text` (caret at its "|") the way a widget
// drives the checks: filter each key, insert it or show the message, run the automatic space on
// every change of the text.
Typed Type(DisplayMode mode, std::string text, std::string_view keys) {
    int caret = static_cast<int>(text.find('|'));
    text.erase(static_cast<std::size_t>(caret), 1);
    EntryState state;
    Typed typed;
    for (char key : keys) {
        const KeyDecision decision = FilterKey(text, caret, key, mode, EntryField::SendBox, state);
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
        const char* start;
        const char* keys;
        const char* expected;
        std::vector<std::string_view> messages;
    };
    const Case cases[] = {
        {"refusal clears the flag", Hex, "4|", "x\b", "|", {kHexKey}},
        {"refused second digit leaves no space", Hex, "4|", "x1", "41 |", {kHexKey}},
        {"no second space when one follows", Hex, "4| 42 ", "1", "41| 42 ", {}},
        {"Backspace at a group end sets no flag", Hex, "4|1", "\b", "|1", {}},
        {"255 is the largest group", Decimal, "|", "255256", "255 25|", {kSendBoxRange}},
        {"letter and sign refused", Decimal, "|", "a-", "|", {kDecimalKey, kDecimalKey}},
        {"high Latin-1 key refused", Decimal, "|", "\xE9", "|", {kDecimalKey}},
        // As a third key the space bar counts as 100*c1 + 10*c2 - 16: with 2 and 8, 264.
        {"third-key space out of range", Decimal, "|", "28 ", "28|", {kSendBoxRange}},
        {"second group on its own", Decimal, "|", "001299", "001 29|", {kSendBoxRange}},
        {"Backspace at a third position sets no flag", Decimal, "06|5", "\b", "0|5", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const Typed typed = Type(c.mode, c.start, c.keys);
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
        {"control codes pass the digit test", Hex, "\x01\x02 ", {}, 1},
        {"leading space", Hex, " 41 ", kTooManySpacesMessage, 1},
        {"two spaces in a row", Hex, "41  42 ", kTooManySpacesMessage, 4},
        {"bad first digit", Hex, "G1 ", kHexStringMessage, 1},
        {"lone digit", Hex, "4", kHexStringMessage, 1},
        {"wrong separator", Hex, "41x", kHexStringMessage, 3},
        {"fault in a later group", Hex, "41 4F 1", kHexStringMessage, 7},
        {"empty passes", Decimal, "", {}, 0},
        {"valid string", Decimal, "065 066 ", {}, 1},
        {"short group, caret at end", Decimal, "06", kDecimalStringMessage, 2},
        {"no final space", Decimal, "065", kDecimalStringMessage, 3},
        {"short later group", Decimal, "065 0", kDecimalStringMessage, 5},
        {"two spaces in a row", Decimal, "065  066 ", kTooManySpacesMessage, 5},
        {"wrong separator", Decimal, "065x", kDecimalStringMessage, 4},
        {"empty passes", Ascii, "", {}, 0},
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
