#pragma once
// A single-line field whose text is stored as bytes (a command label, the checksum
// calculator's string): a change that brings in a character without a Latin-1 code, or one
// of the characters the owner forbids, is refused as a whole with a message, and the text
// stays as it was. Nothing is ever stored as a substitute character.

#include <QLineEdit>

namespace kestrum {

class Prompts;

class Latin1Field final : public QLineEdit {
    Q_OBJECT
public:
    explicit Latin1Field(Prompts& prompts, QWidget* parent = nullptr);

    // Also refuse these characters, with this message.
    void ForbidCharacters(QString characters, QString message);

private:
    void Change();

    Prompts& prompts_;
    QString forbidden_;
    QString forbiddenMessage_;
    // The text before the latest change, put back when the change is refused.
    QString accepted_;
    bool inChange_ = false;
};

}  // namespace kestrum
