#pragma once
// The checks that Hex and Decimal entry fields (the main window's String to Send box and the
// command set editor's string fields) run while the user types: a key filter, the automatic
// space after a completed group, and a whole-string check when the field loses the focus.
// In Ascii notation nothing is checked.
//
// A widget uses them like this:
//   key press:   d = FilterKey(text, caret, key, mode, field, state);
//                if accepted insert d.key (possibly upper-cased) at the caret, else cancel the
//                key and show *d.message;
//   text change: if (auto e = ApplyAutoSpace(state, textLength)) insert " " at e->insertAt and
//                put the caret at e->caretAfter (that insertion is itself a change; the flag is
//                already cleared, so it does nothing);
//   focus out:   r = CheckWholeString(text, mode); set the caret to r.caret; on r.message show
//                it and give the focus back to the field.
// Positions here are 0-based caret positions: the number of characters before the caret.

#include <optional>
#include <string_view>

#include "notation/byte_notation.h"

namespace kestrum {

inline constexpr std::string_view kHexKeyMessage =
    "Error - Input value must be in the range 0-9 or A-F";
inline constexpr std::string_view kDecimalKeyMessage =
    "Error - Input value must be in the range 0-9";
inline constexpr std::string_view kSendBoxDecimalRangeMessage =
    "Error - Decimal value must be in the range 000-255";
inline constexpr std::string_view kEditorDecimalRangeMessage =
    "Error - Decimal value must be in the range 0-255";
inline constexpr std::string_view kHexStringMessage =
    "Error - Each Hex value must be in the range 00-FF";
inline constexpr std::string_view kDecimalStringMessage =
    "Error - Each Decimal value must be in the range 000-255";
inline constexpr std::string_view kTooManySpacesMessage = "Error - Too many spaces";
// A character typed or pasted into a field, or written in a sequence file, that has no byte.
inline constexpr auto kNotLatin1Message =
    "Error - Only characters of the Latin-1 character set can be entered";

inline constexpr char kBackspaceKey = 8;

// Which field is checked; it picks the text of the Decimal range message.
enum class EntryField { SendBox, EditorField };

// Carried from the key filter to the automatic space, one per window
// (SendCursor/SendAutoSpace in the main window, EditCursor/AutoSpace in the editor).
struct EntryState {
    // 1-based index of the character the last filtered key lands on: the caret position + 1.
    // As a 0-based caret position it is the point just after that character.
    int cursor = 0;
    // The key being processed completes a group; a space must follow it.
    bool autoSpace = false;
};

struct KeyDecision {
    bool accepted = true;
    // The character to insert (Hex letters upper-cased); 0 when the key is cancelled.
    char key = 0;
    // Shown when the key is cancelled.
    std::optional<std::string_view> message;
};

// Filters one key about to be inserted at `caret` in `text`. `key` is the character code the
// field would insert, or kBackspaceKey, which is always accepted and leaves `state` alone.
// Hex: letters are upper-cased; control codes below 32, 0-9 and A-F are accepted, everything
// else (the space bar included) is refused. Decimal: codes up to 32 (the space bar included)
// and 0-9 are accepted; but a key at the third position of a group is refused when the group's
// value 100*(c1-48) + 10*(c2-48) + (key-48) would exceed 255 (so the space bar counts as -16).
// A key at the last position of a group (2nd Hex, 3rd Decimal) that has no space after it sets
// state.autoSpace; a cancelled key clears it. Ascii: every key accepted, state untouched.
// Callers pass the start of any selection as `caret`.
KeyDecision FilterKey(std::string_view text, int caret, char key, DisplayMode mode,
                      EntryField field, EntryState& state);

struct AutoSpaceEdit {
    int insertAt = 0;    // where the space goes: just after the character the key inserted
    int caretAfter = 0;  // after the space
};

// Runs on every change of the field's text (textLength: its length after the change). When the
// last key completed a group, clears the flag and says where to insert the separating space.
std::optional<AutoSpaceEdit> ApplyAutoSpace(EntryState& state, int textLength);

struct WholeStringResult {
    // Set when the string is malformed.
    std::optional<std::string_view> message;
    // Caret position to set: after a message, just after the offending character (or at the end
    // of the text when a character is missing); otherwise 1, or 0 for an empty field.
    int caret = 0;
    bool valid() const { return !message.has_value(); }
};

// Checks the whole text when the field loses the focus. Hex: groups of two characters, each
// a control code below 32, 0-9 or A-F, each followed by a space. Decimal: groups of three
// characters whose value 100*(c1-48) + 10*(c2-48) + (c3-48) is at most 255 (the characters
// themselves are not tested, so "0A0 " passes), each followed by a space. In both, a group
// that starts with a space gives kTooManySpacesMessage. An empty text, and any Ascii text, is
// valid.
WholeStringResult CheckWholeString(std::string_view text, DisplayMode mode);

}  // namespace kestrum
