#pragma once
// A field of bytes with no notation (a command label, the checksum calculator's string);
// its owner may forbid further characters, refused with the owner's message.

#include "ui/widgets/byte_field.h"

namespace kestrum {

class Latin1Field final : public ByteField {
    Q_OBJECT
public:
    explicit Latin1Field(Prompts& prompts, QWidget* parent = nullptr);

    // Also refuse these characters, with this message.
    void ForbidCharacters(QString characters, QString message);

protected:
    QString Refusal(const QString& text) const override;

private:
    QString forbidden_;
    QString forbiddenMessage_;
};

}  // namespace kestrum
