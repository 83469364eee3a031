#include "ui/widgets/byte_field.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <limits>

#include "platform/prompts.h"
#include "ui/widgets/latin1.h"

namespace kestrum {

namespace {

// Space between the frame and the text, as a line edit leaves it.
constexpr int kTextMargin = 2;

}  // namespace

ByteField::ByteField(Prompts& prompts, QWidget* parent) : QLineEdit(parent), prompts_(prompts) {
    // A line edit silently cuts its text at 32767 characters; a long command or label must
    // reach the port, and its file, whole.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &ByteField::Change);
    connect(this, &QLineEdit::cursorPositionChanged, this, [this] {
        if (longText_) {
            KeepCursorInView();
            update();
        }
    });
    connect(this, &QLineEdit::selectionChanged, this, [this] {
        if (longText_) {
            update();
        }
    });
}

QString ByteField::Refusal(const QString& text) const {
    return IsLatin1(text) ? QString() : QString::fromLatin1(kNotLatin1Message);
}

void ByteField::setText(const QString& text) {
    FitMode(text.size());
    QLineEdit::setText(text);
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
    FitMode(accepted_.size());
    inChange_ = false;
}

void ByteField::FitMode(qsizetype length) {
    const bool longText = length >= kLongTextChars;
    if (longText == longText_) {
        return;
    }
    longText_ = longText;
    // With no echo the line edit lays out an empty display text; the text itself is whole.
    setEchoMode(longText ? QLineEdit::NoEcho : QLineEdit::Normal);
    firstShown_ = 0;
    update();
}

void ByteField::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Paste) {
        // Known before the paste, so that a long paste is never laid out whole.
        FitMode(text().size() + QApplication::clipboard()->text().size());
    }
    if (longText_ && LongTextKey(event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool ByteField::LongTextKey(QKeyEvent* event) {
    // A line edit without echo keeps its text from the clipboard, and moves and deletes by
    // its (empty) display text: those keys are done here on the text itself.
    const int cursor = cursorPosition();
    const int size = static_cast<int>(text().size());
    const int anchor = !hasSelectedText()           ? cursor
                       : cursor == selectionStart() ? selectionEnd()
                                                    : selectionStart();
    const auto moveTo = [this](int position) {
        deselect();
        setCursorPosition(position);
    };
    const auto selectTo = [this, anchor](int position) { setSelection(anchor, position - anchor); };
    if (event == QKeySequence::Copy) {
        CopySelection();
    } else if (event == QKeySequence::Cut) {
        CopySelection();
        if (!isReadOnly()) {
            del();
        }
    } else if (event == QKeySequence::MoveToPreviousChar ||
               event == QKeySequence::MoveToPreviousWord) {
        moveTo(hasSelectedText() ? selectionStart() : std::max(0, cursor - 1));
    } else if (event == QKeySequence::MoveToNextChar || event == QKeySequence::MoveToNextWord) {
        moveTo(hasSelectedText() ? selectionEnd() : std::min(size, cursor + 1));
    } else if (event == QKeySequence::SelectPreviousChar ||
               event == QKeySequence::SelectPreviousWord) {
        selectTo(std::max(0, cursor - 1));
    } else if (event == QKeySequence::SelectNextChar || event == QKeySequence::SelectNextWord) {
        selectTo(std::min(size, cursor + 1));
    } else if (event == QKeySequence::MoveToStartOfLine ||
               event == QKeySequence::MoveToStartOfBlock ||
               event == QKeySequence::MoveToStartOfDocument) {
        moveTo(0);
    } else if (event == QKeySequence::MoveToEndOfLine || event == QKeySequence::MoveToEndOfBlock ||
               event == QKeySequence::MoveToEndOfDocument) {
        moveTo(size);
    } else if (event == QKeySequence::SelectStartOfLine ||
               event == QKeySequence::SelectStartOfBlock ||
               event == QKeySequence::SelectStartOfDocument) {
        selectTo(0);
    } else if (event == QKeySequence::SelectEndOfLine || event == QKeySequence::SelectEndOfBlock ||
               event == QKeySequence::SelectEndOfDocument) {
        selectTo(size);
    } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (!isReadOnly() && (hasSelectedText() || cursor < size)) {
            if (!hasSelectedText()) {
                setSelection(cursor, 1);
            }
            del();
        }
    } else if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        if (!isReadOnly() && (hasSelectedText() || cursor > 0)) {
            if (!hasSelectedText()) {
                setSelection(cursor, -1);
            }
            del();
        }
    } else {
        return false;
    }
    return true;
}

void ByteField::CopySelection() const {
    if (hasSelectedText()) {
        QApplication::clipboard()->setText(selectedText());
    }
}

int ByteField::CharWidth(QChar c) const {
    const ushort code = c.unicode();
    if (code > 0xFF) {
        return fontMetrics().horizontalAdvance(c);
    }
    int& width = widths_[code];
    if (width == 0) {
        width = std::max(1, fontMetrics().horizontalAdvance(c));
    }
    return width;
}

QRect ByteField::TextArea() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QMargins margins = textMargins();
    return area.marginsRemoved(margins).adjusted(kTextMargin, 0, -kTextMargin, 0);
}

void ByteField::KeepCursorInView() {
    const int cursor = cursorPosition();
    if (cursor < firstShown_) {
        firstShown_ = cursor;
        return;
    }
    // Walk back from the cursor until the area is full: the cursor ends at its right edge.
    const QString& shown = text();
    const int width = TextArea().width();
    int used = 0;
    int first = cursor;
    while (first > firstShown_ && used + CharWidth(shown.at(first - 1)) < width) {
        used += CharWidth(shown.at(--first));
    }
    if (first > firstShown_) {
        firstShown_ = first;
    }
}

int ByteField::PositionAt(int x) const {
    const QString& shown = text();
    const QRect area = TextArea();
    int left = area.left();
    int position = firstShown_;
    while (position < shown.size()) {
        const int width = CharWidth(shown.at(position));
        if (x < left + width / 2) {
            break;
        }
        left += width;
        ++position;
        if (left > area.right()) {
            break;
        }
    }
    return position;
}

void ByteField::paintEvent(QPaintEvent* event) {
    if (!longText_) {
        QLineEdit::paintEvent(event);
        return;
    }
    // Also after a resize or a new text that left the cursor where it was.
    KeepCursorInView();
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    const QRect area = TextArea();
    painter.setClipRect(area);
    const QString& shown = text();
    const QFontMetrics metrics = fontMetrics();
    const int baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
    const int selectedFrom = hasSelectedText() ? selectionStart() : -1;
    const int selectedTo = hasSelectedText() ? selectionEnd() : -1;
    const int cursor = cursorPosition();
    const QPalette& colours = palette();
    int x = area.left();
    int position = firstShown_;
    // Characters are drawn one view-width at a time, selected ones on their highlight.
    for (; position <= shown.size() && x <= area.right() + 1; ++position) {
        if (position == cursor && hasFocus()) {
            painter.fillRect(QRect(x, area.top() + 1, 1, area.height() - 2),
                             colours.color(QPalette::Text));
        }
        if (position == shown.size()) {
            break;
        }
        const QChar c = shown.at(position);
        const int width = CharWidth(c);
        const bool selected = position >= selectedFrom && position < selectedTo;
        if (selected) {
            painter.fillRect(QRect(x, area.top(), width, area.height()),
                             colours.color(QPalette::Highlight));
        }
        painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
        // Control characters have no glyph of their own; they take a space's room.
        painter.drawText(QPoint(x, baseline), c.isPrint() ? QString(c) : QStringLiteral(" "));
        x += width;
    }
}

void ByteField::mousePressEvent(QMouseEvent* event) {
    if (!longText_ || event->button() != Qt::LeftButton) {
        QLineEdit::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int position = PositionAt(event->position().toPoint().x());
    if (event->modifiers() & Qt::ShiftModifier) {
        const int anchor =
            hasSelectedText()
                ? (cursorPosition() == selectionStart() ? selectionEnd() : selectionStart())
                : cursorPosition();
        setSelection(anchor, position - anchor);
        dragAnchor_ = anchor;
    } else {
        setCursorPosition(position);
        dragAnchor_ = position;
    }
    event->accept();
}

void ByteField::mouseMoveEvent(QMouseEvent* event) {
    if (!longText_ || !(event->buttons() & Qt::LeftButton) || dragAnchor_ < 0) {
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    const int position = PositionAt(event->position().toPoint().x());
    setSelection(dragAnchor_, position - dragAnchor_);
    event->accept();
}

void ByteField::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!longText_) {
        QLineEdit::mouseDoubleClickEvent(event);
        return;
    }
    selectAll();
    event->accept();
}

void ByteField::contextMenuEvent(QContextMenuEvent* event) {
    if (!longText_) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    // The line edit's own menu would offer no Copy or Cut without echo.
    QMenu menu(this);
    const bool editable = !isReadOnly();
    menu.addAction(tr("&Undo"), this, &QLineEdit::undo)->setEnabled(editable && isUndoAvailable());
    menu.addAction(tr("&Redo"), this, &QLineEdit::redo)->setEnabled(editable && isRedoAvailable());
    menu.addSeparator();
    menu.addAction(tr("Cu&t"), this,
                   [this] {
                       CopySelection();
                       del();
                   })
        ->setEnabled(editable && hasSelectedText());
    menu.addAction(tr("&Copy"), this, [this] { CopySelection(); })->setEnabled(hasSelectedText());
    menu.addAction(tr("&Paste"), this,
                   [this] {
                       FitMode(text().size() + QApplication::clipboard()->text().size());
                       paste();
                   })
        ->setEnabled(editable);
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, &QLineEdit::selectAll);
    menu.exec(event->globalPos());
}

}  // namespace kestrum
