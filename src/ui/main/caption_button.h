#pragma once
// A push button whose caption wraps onto several lines when it is wider than the button,
// as "Send String" must in its narrow, tall design place.

#include <QPushButton>

namespace kestrum {

class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrum
