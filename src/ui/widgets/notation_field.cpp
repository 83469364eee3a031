#include "ui/widgets/notation_field.h"

#include <algorithm>

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "platform/prompts.h"
#include "ui/widgets/latin1.h"

namespace kestrum {

NotationField::NotationField(EntryField field, EntryState& state, std::function<DisplayMode()> mode,
                             Prompts& prompts, QWidget* parent)
    : ByteField(prompts, parent), field_(field), state_(state), mode_(std::move(mode)) {}

void NotationField::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    // Ctrl alone makes editing shortcuts; Alt and Ctrl+Alt (AltGr) still type characters.
    const bool shortcut =
        (event->modifiers() & Qt::ControlModifier) && !(event->modifiers() & Qt::AltModifier);
    const bool isCharacter =
        !typed.isEmpty() && !shortcut &&
        std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.isPrint(); });
    if (!isCharacter) {
        // Editing and navigation keys (Backspace included) are never refused.
        ByteField::keyPressEvent(event);
        return;
    }
    TypeEach(typed);
    event->accept();
}

void NotationField::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (committed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The composition is shown as usual; what it commits is typed key by key.
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
    TypeEach(committed);
    event->accept();
}

void NotationField::TypeEach(const QString& typed) {
    for (const QChar key : typed) {
        if (!KeyPress(key)) {
            return;
        }
    }
}

bool NotationField::KeyPress(QChar key) {
    if (key.unicode() > 0xFF) {
        prompts_.Message(QString::fromLatin1(kNotLatin1Message));
        return false;
    }
    const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
    const KeyDecision decision = FilterKey(ToBytes(text()), caret, static_cast<char>(key.unicode()),
                                           mode_(), field_, state_);
    if (!decision.accepted) {
        if (decision.message) {
            prompts_.Message(FromBytes(*decision.message));
        }
        return false;
    }
    insert(QString(QChar(static_cast<unsigned char>(decision.key))));
    return true;
}

void NotationField::ChangeAccepted() {
    if (const auto edit = ApplyAutoSpace(state_, static_cast<int>(text().size()))) {
        setCursorPosition(edit->insertAt);
        insert(QStringLiteral(" "));
        setCursorPosition(edit->caretAfter);
    }
}

void NotationField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Focus taken by a message box, a popup or another application is not the user leaving
    // the field; checking then would raise the message again and again.
    if (reclaimingFocus_ || event->reason() == Qt::ActiveWindowFocusReason ||
        event->reason() == Qt::PopupFocusReason) {
        return;
    }
    LostFocus();
}

void NotationField::LostFocus() {
    const WholeStringResult result = CheckWholeString(ToBytes(text()), mode_());
    setCursorPosition(result.caret);
    if (result.message) {
        prompts_.Message(FromBytes(*result.message));
        reclaimingFocus_ = true;
        setFocus(Qt::OtherFocusReason);
        reclaimingFocus_ = false;
    }
    emit Left();
}

}  // namespace kestrum
