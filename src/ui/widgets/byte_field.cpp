#include "ui/widgets/byte_field.h"

#include <algorithm>
#include <limits>

#include "platform/prompts.h"
#include "ui/widgets/latin1.h"

namespace kestrum {

ByteField::ByteField(Prompts& prompts, QWidget* parent) : QLineEdit(parent), prompts_(prompts) {
    // A line edit silently cuts its text at 32767 characters; a long command or label must
    // reach the port, and its file, whole.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &ByteField::Change);
}

QString ByteField::Refusal(const QString& text) const {
    return IsLatin1(text) ? QString() : QString::fromLatin1(kNotLatin1Message);
}

void ByteField::Change() {
    if (inChange_) {
        return;
    }
    inChange_ = true;
    if (const QString refusal = Refusal(text()); !refusal.isEmpty()) {
        const int caret = std::min(static_cast<int>(accepted_.size()), cursorPosition());
        setText(accepted_);
        setCursorPosition(caret);
        inChange_ = false;
        prompts_.Message(refusal);
        return;
    }
    ChangeAccepted();
    accepted_ = text();
    inChange_ = false;
}

}  // namespace kestrum
