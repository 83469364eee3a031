#pragma once
// A single-line field that takes strings in the notation in force: the main window's String
// to Send box and the command set editor's forty command string fields. Its three handlers
// are the key filter (SendBox_KeyPress / StringText_KeyPress), the automatic space
// (SendBox_Change / StringText_Change) and the whole-string check (SendBox_LostFocus /
// StringText_LostFocus).

#include <functional>

#include "notation/byte_notation.h"
#include "notation/entry_validation.h"
#include "ui/widgets/byte_field.h"

namespace kestrum {

class NotationField : public ByteField {
    Q_OBJECT
public:
    // `state` is the window's recorded cursor and auto-space flag, shared by all its fields;
    // `mode` gives the notation in force at the moment of each key.
    NotationField(EntryField field, EntryState& state, std::function<DisplayMode()> mode,
                  Prompts& prompts, QWidget* parent = nullptr);

    // The handlers, callable directly. KeyPress returns whether the key was taken.
    bool KeyPress(QChar key);
    void LostFocus();

signals:
    // Raised after every whole-string check, valid or not (the editor records the string
    // for the checksum calculator then).
    void Left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // The automatic space.
    void ChangeAccepted() override;

private:
    // KeyPress for each character until one is refused.
    void TypeEach(const QString& typed);

    EntryField field_;
    EntryState& state_;
    std::function<DisplayMode()> mode_;
    // Set while a field takes the focus back after a message, so that the field it takes
    // it from does not check itself in turn (two bad fields would pass it back and forth).
    static inline bool reclaimingFocus_ = false;
};

}  // namespace kestrum
