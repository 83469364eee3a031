#pragma once
// Opens the main window's tool windows on request: each is created when first asked for,
// brought to the front while open, and goes with the main window.

#include <QObject>
#include <QPointer>

namespace kestrum {

class Aboutfrm;
class Mainfrm;

class ToolWindows final : public QObject {
    Q_OBJECT
public:
    explicit ToolWindows(Mainfrm& main);

    void ShowAbout();

private:
    Mainfrm& main_;
    QPointer<Aboutfrm> about_;
};

}  // namespace kestrum
