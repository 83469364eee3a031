#include "ui/widgets/latin1_field.h"

#include <algorithm>
#include <limits>

#include "platform/prompts.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {

Latin1Field::Latin1Field(Prompts& prompts, QWidget* parent) : QLineEdit(parent), prompts_(prompts) {
    // A line edit silently cuts its text at 32767 characters; a label must be saved whole.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &Latin1Field::Change);
}

void Latin1Field::ForbidCharacters(QString characters, QString message) {
    forbidden_ = std::move(characters);
    forbiddenMessage_ = std::move(message);
}

void Latin1Field::Change() {
    if (inChange_) {
        return;
    }
    const QString current = text();
    QString refusal;
    if (!IsLatin1(current)) {
        refusal = QString::fromLatin1(kNotLatin1Message);
    } else if (std::any_of(current.begin(), current.end(),
                           [this](QChar c) { return forbidden_.contains(c); })) {
        refusal = forbiddenMessage_;
    }
    if (refusal.isEmpty()) {
        accepted_ = current;
        return;
    }
    inChange_ = true;
    const int caret = std::min(static_cast<int>(accepted_.size()), cursorPosition());
    setText(accepted_);
    setCursorPosition(caret);
    inChange_ = false;
    prompts_.Message(refusal);
}

}  // namespace kestrum
