// The entry checks (FilterKey, ApplyAutoSpace, CheckWholeString) driven as a field drives them,
// through a session of keys typed at any caret position, plus the whole-string check on any
// pasted text. Carets never leave 0..length, an automatic space always lands inside the text
// just after the key that asked for it, keys the filter lets through are the notation's keys,
// and text typed only by appending accepted digits passes the whole-string check exactly when
// its last group is complete.
//
// Input: one control byte (mode = control % 3, field = control / 3 % 2), then the text checked
// as pasted, which is also read as the session: pairs of (position, key). A position below 128
// types at the end; 127 is a focus change (whole-string check) instead of a key; from 128 on the
// caret is position - 131 (so -3 .. 124, out-of-range carets included).

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "notation/byte_notation.h"
#include "notation/entry_validation.h"

namespace kestrum::fuzz {
namespace {

using enum DisplayMode;

int Code(char c) {
    return static_cast<unsigned char>(c);
}

bool IsDigit(int code) {
    return code >= '0' && code <= '9';
}

bool IsNotationDigit(int code, DisplayMode mode) {
    return IsDigit(code) || (mode == Hex && code >= 'A' && code <= 'F');
}

int Len(const std::string& text) {
    return static_cast<int>(text.size());
}

// What a field's text must look like for the whole-string check to pass, stated as the shape
// of the string: groups of digits (Hex: code below 32, 0-9, A-F; Decimal: any three characters
// whose computed value is at most 255, none starting with a space), each followed by a space.
bool HasValidShape(std::string_view text, DisplayMode mode) {
    const std::size_t step = mode == Hex ? 3 : 4;
    if (text.size() % step != 0) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); i += step) {
        const std::string_view group = text.substr(i, step);
        if (group.back() != ' ' || group[0] == ' ') {
            return false;
        }
        if (mode == Hex) {
            for (int k = 0; k < 2; ++k) {
                const int c = Code(group[static_cast<std::size_t>(k)]);
                if (!(c < 32 || IsNotationDigit(c, Hex))) {
                    return false;
                }
            }
        } else {
            const int value =
                100 * (Code(group[0]) - '0') + 10 * (Code(group[1]) - '0') + (Code(group[2]) - '0');
            if (value > 255) {
                return false;
            }
        }
    }
    return true;
}

void CheckWhole(std::string_view text, DisplayMode mode) {
    const WholeStringResult result = CheckWholeString(text, mode);
    const int length = static_cast<int>(text.size());
    KESTRUM_PROPERTY(
        result.caret >= 0 && result.caret <= length,
        "caret " + std::to_string(result.caret) + " outside 0.." + std::to_string(length));
    if (mode == Ascii || text.empty()) {
        KESTRUM_PROPERTY(result.valid(), "Ascii and empty text always pass");
    } else {
        KESTRUM_PROPERTY(result.valid() == HasValidShape(text, mode),
                         ModeName(mode) + (result.valid() ? " passed" : " refused") + " \"" +
                             Escaped(text) + "\"");
    }
    if (result.valid()) {
        KESTRUM_PROPERTY(result.caret == (text.empty() ? 0 : 1), "caret after a pass");
    }
    if (result.valid() && mode == Hex) {
        bool control = false;
        for (const char c : text) {
            control = control || Code(c) < 32;
        }
        if (!control) {
            KESTRUM_PROPERTY(EncodeTransmitBytes(text, Hex).size() == text.size() / 3,
                             "a valid Hex string sends one byte per group");
        }
    }
}

class Session {
public:
    Session(DisplayMode mode, EntryField field) : mode_(mode), field_(field) {}

    void FocusOut() {
        CheckWhole(text_, mode_);
        if (onlyAppendedDigits_ && mode_ != Ascii) {
            const std::size_t step = mode_ == Hex ? 3 : 4;
            const bool complete = text_.size() % step == 0;
            KESTRUM_PROPERTY(CheckWholeString(text_, mode_).valid() == complete,
                             "typed \"" + Escaped(text_) + "\"");
        }
    }

    void Type(int requestedCaret, char key) {
        const int caret = std::clamp(requestedCaret, 0, Len(text_));
        const EntryState before = state_;
        const KeyDecision decision = FilterKey(text_, requestedCaret, key, mode_, field_, state_);
        CheckDecision(key, before, decision);
        if (!decision.accepted) {
            return;  // the text does not change, so no change notification
        }
        const bool appended = caret == Len(text_);
        if (key == kBackspaceKey) {
            onlyAppendedDigits_ = false;
            if (caret > 0) {
                text_.erase(static_cast<std::size_t>(caret - 1), 1);
                Changed(std::nullopt);
            }
            return;
        }
        if (Code(decision.key) < 32) {
            onlyAppendedDigits_ = false;  // a control key is not inserted
            return;
        }
        if (!(appended && IsNotationDigit(Code(decision.key), mode_))) {
            onlyAppendedDigits_ = false;
        }
        text_.insert(static_cast<std::size_t>(caret), 1, decision.key);
        Changed(caret);
    }

private:
    void CheckDecision(char key, const EntryState& before, const KeyDecision& decision) {
        if (key == kBackspaceKey || mode_ == Ascii) {
            KESTRUM_PROPERTY(decision.accepted && decision.key == key, "key always taken");
            KESTRUM_PROPERTY(state_.cursor == before.cursor && state_.autoSpace == before.autoSpace,
                             "backspace and Ascii keys leave the state alone");
            return;
        }
        if (!decision.accepted) {
            KESTRUM_PROPERTY(decision.message.has_value() && decision.key == 0,
                             "a refusal carries its message and no key");
            KESTRUM_PROPERTY(!state_.autoSpace, "a refused key clears the automatic space");
            return;
        }
        KESTRUM_PROPERTY(!decision.message.has_value(), "an accepted key shows no message");
        const int code = Code(decision.key);
        if (mode_ == Hex) {
            const char upper = key >= 'a' && key <= 'z' ? static_cast<char>(key - 32) : key;
            KESTRUM_PROPERTY(decision.key == upper, "Hex keys are upper-cased only");
            KESTRUM_PROPERTY(code < 32 || IsNotationDigit(code, Hex),
                             "Hex took key " + std::to_string(code));
        } else {
            KESTRUM_PROPERTY(decision.key == key, "Decimal keys are taken as typed");
            KESTRUM_PROPERTY(code <= 32 || IsDigit(code),
                             "Decimal took key " + std::to_string(code));
        }
    }

    // The field's change notification, after a key inserted at `keyCaret` (nullopt: a
    // deletion).
    void Changed(std::optional<int> keyCaret) {
        const std::optional<AutoSpaceEdit> edit = ApplyAutoSpace(state_, Len(text_));
        if (!edit) {
            return;
        }
        KESTRUM_PROPERTY(edit->insertAt >= 0 && edit->insertAt <= Len(text_),
                         "automatic space at " + std::to_string(edit->insertAt) + " of " +
                             std::to_string(text_.size()));
        KESTRUM_PROPERTY(edit->caretAfter == edit->insertAt + 1, "caret after the space");
        if (keyCaret) {
            KESTRUM_PROPERTY(edit->insertAt == *keyCaret + 1,
                             "the space follows the key just typed");
        }
        text_.insert(static_cast<std::size_t>(edit->insertAt), 1, ' ');
        // Inserting the space is itself a change; the flag is already down.
        KESTRUM_PROPERTY(!ApplyAutoSpace(state_, Len(text_)).has_value(),
                         "the automatic space asked for another");
    }

    DisplayMode mode_;
    EntryField field_;
    std::string text_;
    EntryState state_;
    bool onlyAppendedDigits_ = true;
};

}  // namespace
}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const Split input = TakeControlByte(data, size);
    const kestrum::DisplayMode mode = ModeOf(input.control);
    const auto field = input.control / 3 % 2 == 0 ? kestrum::EntryField::SendBox
                                                  : kestrum::EntryField::EditorField;

    CheckWhole(input.rest, mode);

    Session session(mode, field);
    const std::string_view ops = input.rest;
    for (std::size_t i = 0; i + 1 < ops.size(); i += 2) {
        const int position = static_cast<unsigned char>(ops[i]);
        if (position == 127) {
            session.FocusOut();
            continue;
        }
        session.Type(position < 128 ? 1 << 20 : position - 131, ops[i + 1]);
    }
    session.FocusOut();
    return 0;
}
