#pragma once
// Opens the main window's tool windows on request: each is created when first asked for,
// brought to the front while open, and goes with the main window.

#include <QObject>
#include <QPointer>

namespace kestrum {

class Aboutfrm;
class Checkfrm;
class Comfrm;
class Editfrm;
class Mainfrm;
class Sendfrm;
class Seqfrm;

class ToolWindows final : public QObject {
    Q_OBJECT
public:
    explicit ToolWindows(Mainfrm& main);

    void ShowAbout();
    // An editor already open is brought to the front, not opened twice.
    void ShowEditor();
    // A calculator already open is brought to the front with the new hand-over; its text stays.
    void ShowChecksum();
    // The text file sender; one open at a time.
    void ShowSendText();
    // The port settings dialog; the main window refuses to ask while the port is invalid.
    void ShowPortSettings();
    // The sequence window, showing the sequence just loaded; its size and place are kept
    // while the program runs.
    void ShowSequence();
    Seqfrm* SequenceWindow() const;

private:
    Mainfrm& main_;
    QPointer<Aboutfrm> about_;
    QPointer<Editfrm> editor_;
    QPointer<Checkfrm> checksum_;
    QPointer<Sendfrm> sendText_;
    QPointer<Comfrm> portSettings_;
    QPointer<Seqfrm> sequence_;
};

}  // namespace kestrum
