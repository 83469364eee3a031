#pragma once
// A command button. Its caption holds the whole label of its command set entry (the editor
// reads it back), but only the part a button can ever show is laid out when it is painted:
// a label of megabytes from a hostile file would otherwise take seconds per repaint.

#include <QPushButton>

namespace kestrum {

class CommandButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrum
