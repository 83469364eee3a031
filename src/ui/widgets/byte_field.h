#pragma once
// A single-line field whose text is stored as bytes, one per character. A change that
// brings in a character the field refuses (one without a Latin-1 code, and whatever the
// kind of field adds) is undone as a whole with a message: nothing is ever stored as a
// substitute character. The String to Send box, the editor's fields and the checksum
// calculator's string are all of this kind.
//
// Long texts (firmware blocks, long test strings) are legitimate, but a QLineEdit lays out and
// draws its whole text at every change and cursor blink: a 10 MB string pins a core. From
// kLongTextChars characters on, the field keeps its line edit's own display empty and draws
// only the characters that are in view; editing, selection and the clipboard go on working on
// the whole text.

#include <QLineEdit>
#include <QString>
#include <array>

#include "notation/entry_validation.h"

namespace kestrum {

class Prompts;

// From this length on a field draws only what is in view.
inline constexpr qsizetype kLongTextChars = 4096;

class ByteField : public QLineEdit {
    Q_OBJECT
public:
    // The change handler: refuses the change or accepts it. Callable directly.
    void Change();

    // Hides QLineEdit::setText so that a long text is never laid out whole, not even once.
    void setText(const QString& text);
    // True while the field draws only the part of its text in view.
    bool DrawsOnlyVisiblePart() const { return longText_; }

protected:
    ByteField(Prompts& prompts, QWidget* parent);

    // Why `text` may not stand, or an empty string when it may.
    virtual QString Refusal(const QString& text) const;
    // Runs once a change is accepted, before the text is recorded; edits made here are
    // part of the accepted text.
    virtual void ChangeAccepted() {}

    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    Prompts& prompts_;

private:
    // Switches between the line edit's own drawing and drawing the visible part, for a text
    // of `length` characters.
    void FitMode(qsizetype length);
    // Where the text starts drawing: moved so that the cursor is in view.
    void KeepCursorInView();
    QRect TextArea() const;
    int CharWidth(QChar c) const;
    // The character position nearest to `x` (widget coordinates).
    int PositionAt(int x) const;
    void CopySelection() const;
    // The keys a line edit without echo gets wrong; false for any other key.
    bool LongTextKey(QKeyEvent* event);

    // The text before the latest change, put back when the change is refused.
    QString accepted_;
    bool inChange_ = false;
    bool longText_ = false;
    int firstShown_ = 0;   // first character drawn, in long mode
    int dragAnchor_ = -1;  // selection anchor of a mouse drag
    mutable std::array<int, 256> widths_{};
};

}  // namespace kestrum
