#pragma once
// The status line under the main window's client area: the device and its line settings,
// the link state (open, closed, lost, reconnecting), the bytes received and sent since the
// last Clear, the line errors, the input line lamps (CTS, DSR, DCD, RI), and one field that
// other features fill with a state of their own (a capture running, say).
//
// It keeps its height, as the menu bar does, so that the client area keeps its designed
// proportions; its fields share the width in fixed proportions and its text grows with the
// window like the controls', as far as its height holds.

#include <QElapsedTimer>
#include <QStatusBar>
#include <QTimer>
#include <array>

#include "platform/serial_port.h"

class QLabel;

namespace kestrum {

class LampWidget;
class PortSession;
class SendLineEnd;

namespace status_ui {
inline constexpr int kHeightPixels = 22;
inline constexpr int kFontPixels = 11;
// Counters are shown at most this often, however fast bytes come.
inline constexpr int kRefreshMs = 100;
inline constexpr auto kTipCounts = "Bytes received and sent since the last Clear Data";
inline constexpr auto kTipLamps =
    "Input lines: Clear To Send, Data Set Ready, Data Carrier "
    "Detect, Ring Indicator (green: raised)";
}  // namespace status_ui

class StatusLine final : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusLine(PortSession& session, QWidget* parent = nullptr);

    // Text sizes follow `client`'s rescaling from its design size `design`.
    void FollowScale(QWidget& client, QSize design);

    QString DeviceText() const;
    QString StateText() const;  // as shown
    QString CountsText() const;
    QString ErrorsText() const;
    QString ExtraText() const;
    QString HoldText() const;
    QString SequenceText() const;
    // The port's last Notice (a fact about the port, such as a network port that cannot take
    // line settings); stays until the port tells another, an empty one clears it, or the
    // device or port it was told of is changed or the user disconnects.
    QString NoticeText() const;
    bool LampLit(int index) const;  // 0 CTS, 1 DSR, 2 DCD, 3 RI
    // The device field also names the line end sent after each string, when there is one.
    void ShowLineEnd(SendLineEnd& lineEnd);

public slots:
    // A state of another feature ("Capturing to log.txt"); empty hides the field.
    void SetExtraState(const QString& text);
    // "Held: 12 bytes waiting" while Hold Display is on; empty hides the field.
    void SetHoldState(const QString& text);
    // "Sequence: step 3 of 12", "Auto replies: 4 rules"; empty hides the field.
    void SetSequenceState(const QString& text);
    // Reads everything again at once.
    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString CurrentStateText() const;
    QString NoticeOwner() const;
    void ShowNotice(const QString& text);
    void ShowLines(InputLines lines);
    void ScheduleRefresh();
    void ApplyFontPixels(int pixels);

    PortSession& session_;
    SendLineEnd* lineEnd_ = nullptr;
    QLabel* device_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* counts_ = nullptr;
    QLabel* errors_ = nullptr;
    QLabel* extra_ = nullptr;
    QLabel* hold_ = nullptr;
    QLabel* sequence_ = nullptr;
    QLabel* notice_ = nullptr;
    QString noticeOwner_;  // the port number and device the notice was told of
    std::array<LampWidget*, 4> lamps_{};
    QTimer refresh_;
    QElapsedTimer lastRefresh_;
    QWidget* client_ = nullptr;
    QSize design_;
};

}  // namespace kestrum
