#include "notation/entry_validation.h"

#include <algorithm>

namespace kestrum {

namespace {

int CodeOf(char c) {
    return static_cast<unsigned char>(c);
}

bool IsDigitCode(int code) {
    return code >= '0' && code <= '9';
}

// The Hex key and whole-string test: control codes, 0-9, A-F (upper case only).
bool PassesHexDigitTest(int code) {
    return code < 32 || IsDigitCode(code) || (code >= 'A' && code <= 'F');
}

char UpperCased(char key) {
    return key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key;
}

KeyDecision Accept(char key) {
    return {true, key, std::nullopt};
}

KeyDecision Refuse(EntryState& state, std::string_view message) {
    state.autoSpace = false;
    return {false, 0, message};
}

// Records where the key lands and raises the auto-space flag when it completes a group
// (`groupEnd` is the 1-based position of a group's last digit modulo `step`) with no space
// after it. The flag is only ever raised here; it is cleared by a refusal or by the next change.
void RecordPosition(std::string_view text, int caret, int step, int groupEnd, EntryState& state) {
    state.cursor = caret + 1;
    const bool spaceFollows = static_cast<std::size_t>(caret) < text.size() && text[caret] == ' ';
    if (state.cursor % step == groupEnd && !spaceFollows) {
        state.autoSpace = true;
    }
}

KeyDecision FilterHexKey(std::string_view text, int caret, char key, EntryState& state) {
    key = UpperCased(key);
    if (key == kBackspaceKey) {
        return Accept(key);
    }
    RecordPosition(text, caret, 3, 2, state);
    if (!PassesHexDigitTest(CodeOf(key))) {
        return Refuse(state, kHexKeyMessage);
    }
    return Accept(key);
}

KeyDecision FilterDecimalKey(std::string_view text, int caret, char key, EntryField field,
                             EntryState& state) {
    if (key == kBackspaceKey) {
        return Accept(key);
    }
    RecordPosition(text, caret, 4, 3, state);
    const int code = CodeOf(key);
    if (code >= 58 || (code >= 33 && code <= 47)) {
        return Refuse(state, kDecimalKeyMessage);
    }
    // The key completes a group: check the group's value with the two characters before the
    // caret. A third-position key always has two characters before it. (The field moves the
    // caret two to the left to read them and back again; the net caret is unchanged.)
    if (state.autoSpace && caret >= 2) {
        const int value = 100 * (CodeOf(text[caret - 2]) - '0') +
                          10 * (CodeOf(text[caret - 1]) - '0') + (code - '0');
        if (value > 255) {
            return Refuse(state, field == EntryField::SendBox ? kSendBoxDecimalRangeMessage
                                                              : kEditorDecimalRangeMessage);
        }
    }
    return Accept(key);
}

// Caret for a fault found at 1-based position `position`: just after that character, or at
// the end of the text when the character is missing.
WholeStringResult Fault(std::string_view message, std::size_t position, std::size_t size) {
    return {message, static_cast<int>(std::min(position, size))};
}

WholeStringResult CheckHex(std::string_view text) {
    const std::size_t size = text.size();
    // `at(i)` is the character at 1-based position i, or none past the end.
    auto at = [text](std::size_t i) { return CodeOf(text[i - 1]); };
    for (std::size_t i = 1;; i += 3) {
        if (i > size) {
            return {std::nullopt, static_cast<int>(std::min<std::size_t>(1, size))};
        }
        if (at(i) == ' ') {
            return Fault(kTooManySpacesMessage, i, size);
        }
        if (!PassesHexDigitTest(at(i))) {
            return Fault(kHexStringMessage, i, size);
        }
        if (i + 1 > size || !PassesHexDigitTest(at(i + 1))) {
            return Fault(kHexStringMessage, i + 1, size);
        }
        if (i + 2 > size || at(i + 2) != ' ') {
            return Fault(kHexStringMessage, i + 2, size);
        }
    }
}

WholeStringResult CheckDecimal(std::string_view text) {
    const std::size_t size = text.size();
    auto at = [text](std::size_t i) { return CodeOf(text[i - 1]); };
    for (std::size_t i = 1;; i += 4) {
        if (i > size) {
            return {std::nullopt, static_cast<int>(std::min<std::size_t>(1, size))};
        }
        if (at(i) == ' ') {
            return Fault(kTooManySpacesMessage, i, size);
        }
        if (i + 2 > size) {
            return Fault(kDecimalStringMessage, size + 1, size);
        }
        // Only the computed value is tested, not whether the characters are digits.
        const int value = 100 * (at(i) - '0') + 10 * (at(i + 1) - '0') + (at(i + 2) - '0');
        if (value > 255) {
            return Fault(kDecimalStringMessage, i + 2, size);
        }
        if (i + 3 > size || at(i + 3) != ' ') {
            return Fault(kDecimalStringMessage, i + 3, size);
        }
    }
}

}  // namespace

KeyDecision FilterKey(std::string_view text, int caret, char key, DisplayMode mode,
                      EntryField field, EntryState& state) {
    caret = std::clamp(caret, 0, static_cast<int>(text.size()));
    switch (mode) {
        case DisplayMode::Ascii:
            return Accept(key);
        case DisplayMode::Hex:
            return FilterHexKey(text, caret, key, state);
        case DisplayMode::Decimal:
            return FilterDecimalKey(text, caret, key, field, state);
    }
    return Accept(key);
}

std::optional<AutoSpaceEdit> ApplyAutoSpace(EntryState& state, int textLength) {
    if (!state.autoSpace) {
        return std::nullopt;
    }
    state.autoSpace = false;
    // A stale cursor past the end (the text shrank since) puts the space at the end.
    const int insertAt = std::clamp(state.cursor, 0, std::max(textLength, 0));
    return AutoSpaceEdit{insertAt, insertAt + 1};
}

WholeStringResult CheckWholeString(std::string_view text, DisplayMode mode) {
    switch (mode) {
        case DisplayMode::Ascii:
            break;
        case DisplayMode::Hex:
            return CheckHex(text);
        case DisplayMode::Decimal:
            return CheckDecimal(text);
    }
    return {std::nullopt, text.empty() ? 0 : 1};
}

}  // namespace kestrum
