#pragma once
// A single-line field whose text is stored as bytes, one per character. A change that
// brings in a character the field refuses (one without a Latin-1 code, and whatever the
// kind of field adds) is undone as a whole with a message: nothing is ever stored as a
// substitute character. The String to Send box, the editor's fields and the checksum
// calculator's string are all of this kind.

#include <QLineEdit>
#include <QString>

namespace kestrum {

class Prompts;

inline constexpr auto kNotLatin1Message =
    "Error - Only characters of the Latin-1 character set can be entered";

class ByteField : public QLineEdit {
    Q_OBJECT
public:
    // The change handler: refuses the change or accepts it. Callable directly.
    void Change();

protected:
    ByteField(Prompts& prompts, QWidget* parent);

    // Why `text` may not stand, or an empty string when it may.
    virtual QString Refusal(const QString& text) const;
    // Runs once a change is accepted, before the text is recorded; edits made here are
    // part of the accepted text.
    virtual void ChangeAccepted() {}

    Prompts& prompts_;

private:
    // The text before the latest change, put back when the change is refused.
    QString accepted_;
    bool inChange_ = false;
};

}  // namespace kestrum
