#pragma once
// The modem control lines of the selected port as the user set them: RTS and DTR, flow
// control and the break length, kept per port in the settings store and handed to the port,
// which applies them at every open.

#include <QObject>
#include <QString>

#include "platform/serial_port.h"
#include "storage/settings_keys.h"

namespace kestrum {

class SettingsStore;

namespace line_text {
// %1 the key, %2 the stored text, %3 the value used instead.
inline constexpr auto kMsgBadStoredValue =
    "Warning: The stored setting %1 (\"%2\") is not valid; %3 is used";
inline constexpr int kMaxBreakMs = 10000;
}  // namespace line_text

// Flow control as stored: "None", "RtsCts", "XonXoff" (any case). False, `flow` untouched,
// for any other text.
bool FlowFromText(const QString& text, FlowControl& flow);
QString FlowText(FlowControl flow);

class LineControl final : public QObject {
    Q_OBJECT
public:
    LineControl(SerialPort& port, SettingsStore& settings, QObject* parent = nullptr);

    // Reads the stored lines of port 1..4 and hands them to the port; 0 keeps the defaults.
    void Load(int portNumber);

    bool RequestToSend() const { return requestToSend_; }
    bool DataTerminalReady() const { return dataTerminalReady_; }
    FlowControl Flow() const { return flow_; }
    // The stored break length, 1..kMaxBreakMs.
    int BreakLengthMs();

    // Each stores the value for the loaded port and hands it to the port at once.
    void SetRequestToSend(bool on);
    void SetDataTerminalReady(bool on);
    void SetFlow(FlowControl flow);
    void SendBreak();

signals:
    // A malformed stored value was replaced by its default; said once per run.
    void Warning(const QString& text);

private:
    bool ReadFlag(const settings::SettingKey& key);
    void WarnBadValue(const QString& key, const QString& stored, const QString& used);

    SerialPort& port_;
    SettingsStore& settings_;
    int portNumber_ = 0;
    bool requestToSend_ = true;
    bool dataTerminalReady_ = true;
    FlowControl flow_ = FlowControl::None;
    bool warned_ = false;
};

}  // namespace kestrum
