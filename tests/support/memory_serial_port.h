#pragma once
// An in-memory SerialPort for tests: scripted failures, injected received bytes, recorded
// writes and an open/close history. Behaves like QtSerialPort where the interface leaves a
// choice (settings parsed by PortSettingsString, RThreshold starts at 1, InputLen at 0).

#include "platform/port_settings.h"
#include "platform/serial_port.h"

#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrum {

class MemorySerialPort final : public SerialPort {
    Q_OBJECT
public:
    enum class Operation { SetSettings, Open, Output };

    struct PortEvent {
        bool opened = false;  // false: closed
        int port = 0;         // CommPort at that moment
        QString settings;     // Settings at that moment
        bool operator==(const PortEvent&) const = default;
    };

    explicit MemorySerialPort(QObject* parent = nullptr);

    // --- SerialPort
    int CommPort() const override { return commPort_; }
    void SetCommPort(int port) override;
    QString Settings() const override { return settings_.Format(); }
    void ApplySettings(const QString& settings) override;
    bool PortOpen() const override { return open_; }
    bool Opening() const override { return opening_; }
    void Open() override;
    void Close() override;
    QString OpeningTarget() const override {
        return opening_ ? QStringLiteral("memory") : QString();
    }
    void SetRThreshold(int bytes) override;
    void SetInputLen(int bytes) override;
    int InBufferCount() const override { return static_cast<int>(received_.size()); }
    void SetInBufferCount(int count) override;
    int CommEvent() const override { return commEvent_; }
    std::string Input() override;
    void Output(std::string_view bytes) override;
    bool MayReopen() override { return devicePresent_; }
    bool HasControlLines() const override { return open_ && controlLines_; }
    void SetRequestToSend(bool on) override;
    void SetDataTerminalReady(bool on) override;
    void SendBreak(int milliseconds) override { breaks_.push_back(milliseconds); }
    void SetFlowControl(FlowControl flow) override { flow_ = flow; }
    FlowControl Flow() const override { return flow_; }
    InputLines ReadInputLines() const override { return open_ ? inputLines_ : InputLines{}; }

    // --- Control lines
    // A port without them (a pseudo-terminal): HasControlLines() answers false.
    void SetControlLines(bool present) { controlLines_ = present; }
    // The far end changes its lines; reported when the port is open.
    void InjectInputLines(InputLines lines);
    void InjectLineError(LineError error) { emit LineErrorOccurred(error); }
    // The output lines as the port holds them, and as they were at each open.
    struct OutputLines {
        bool rts = true;
        bool dtr = true;
        FlowControl flow = FlowControl::None;
        bool operator==(const OutputLines&) const = default;
    };
    OutputLines Lines() const { return {rts_, dtr_, flow_}; }
    const std::vector<OutputLines>& LinesAtOpen() const { return linesAtOpen_; }
    const std::vector<int>& Breaks() const { return breaks_; }

    // What MayReopen answers (the device is there at first).
    void SetDevicePresent(bool present) { devicePresent_ = present; }

    // --- Completion. Opens and settings changes complete within the call, as a local device's
    // do; while held, an open and a settings change of an open port wait for Release, as a
    // network port's do, and complete then (with `failure`, when given).
    void SetHeld(bool held) { held_ = held; }
    void Release(std::optional<PortErrorKind> failure = std::nullopt);

    // --- Scripted failures. A scripted failure has no effect besides the throw.
    // The next `times` calls of `operation` throw PortError(kind).
    void FailNext(Operation operation, PortErrorKind kind, int times = 1);
    // Opening port `port` throws `kind` (InvalidPortNumber: no such device; PortInUse: held by
    // another program) until cleared with std::nullopt.
    void SetOpenFailure(int port, std::optional<PortErrorKind> kind);

    // --- Reception
    // Bytes arrive at an open port: they are queued and OnComm is emitted synchronously,
    // before this returns, when RThreshold > 0 and at least RThreshold bytes wait. If an
    // OnComm handler is running (it injected, or yielded to the event loop), the arrival is
    // reported once it returns. A closed port receives nothing: returns false and drops them.
    bool InjectReceived(std::string_view bytes);
    // The device disappears: the port closes (recorded in History) and DeviceLost(reason) is
    // emitted. Waiting received bytes stay readable.
    void LoseDevice(const QString& reason = QStringLiteral("The device was unplugged."));

    // --- Records
    // Bytes of every accepted Output call, in order.
    const std::string& Written() const { return written_; }
    // Every Output call, refused ones included.
    int OutputCalls() const { return outputCalls_; }
    const std::vector<PortEvent>& History() const { return history_; }
    void ClearRecords();

private:
    // The scripted failure of `operation`, if one is pending.
    std::optional<PortError> Scripted(Operation operation);
    void CompleteOpen(std::optional<PortErrorKind> failure);
    void CompleteSettings(const PortSettingsString& settings, std::optional<PortErrorKind> failure);
    void EmitOnComm();

    int commPort_ = 1;
    PortSettingsString settings_;
    bool open_ = false;
    bool opening_ = false;
    bool held_ = false;
    std::optional<PortSettingsString> heldSettings_;
    int rThreshold_ = 1;
    int inputLen_ = 0;
    int commEvent_ = 0;
    std::string received_;

    std::map<Operation, std::vector<PortErrorKind>> scripted_;
    std::map<int, PortErrorKind> openFailures_;

    bool inOnComm_ = false;
    bool arrivedDuringOnComm_ = false;

    std::string written_;
    int outputCalls_ = 0;
    std::vector<PortEvent> history_;

    bool controlLines_ = true;
    bool rts_ = true;
    bool dtr_ = true;
    FlowControl flow_ = FlowControl::None;
    InputLines inputLines_;
    std::vector<OutputLines> linesAtOpen_;
    std::vector<int> breaks_;
    bool devicePresent_ = true;
};

}  // namespace kestrum
