#pragma once
// A command button. Its caption holds the whole label of its command set entry (the editor
// reads it back), but only the part a button can ever show is laid out when it is painted:
// a label of megabytes from a hostile file would otherwise take seconds per repaint. A label
// too long for the button ends in "..."; the tooltip gives the whole label and command.

#include <QPushButton>
#include <string>

namespace kestrum {

class CommandButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    // The caption as painted: whole when it fits, also in a font drawn up to a quarter smaller
    // (as the other captions fit), else as much as fits followed by "...".
    QString ShownText() const;
    // The font the caption is painted in.
    QFont ShownFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Caption {
        QFont font;
        QString text;
    };
    Caption Fit() const;
};

// The tooltip of a command button: its whole label and, on a second line, its command string
// in Hex notation (each shortened only past what any screen shows). Empty for an empty entry.
QString CommandToolTip(const QString& label, const std::string& hexCommand);

}  // namespace kestrum
