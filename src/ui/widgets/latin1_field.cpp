#include "ui/widgets/latin1_field.h"

#include <algorithm>

namespace kestrum {

Latin1Field::Latin1Field(Prompts& prompts, QWidget* parent) : ByteField(prompts, parent) {}

void Latin1Field::ForbidCharacters(QString characters, QString message) {
    forbidden_ = std::move(characters);
    forbiddenMessage_ = std::move(message);
}

QString Latin1Field::Refusal(const QString& text) const {
    if (QString refusal = ByteField::Refusal(text); !refusal.isEmpty()) {
        return refusal;
    }
    const bool forbidden =
        std::any_of(text.begin(), text.end(), [this](QChar c) { return forbidden_.contains(c); });
    return forbidden ? forbiddenMessage_ : QString();
}

}  // namespace kestrum
