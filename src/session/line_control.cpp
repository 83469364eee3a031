#include "session/line_control.h"

#include "storage/settings_keys.h"
#include "storage/settings_store.h"

namespace kestrum {

bool FlowFromText(const QString& text, FlowControl& flow) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("None"), Qt::CaseInsensitive) == 0) {
        flow = FlowControl::None;
    } else if (trimmed.compare(QLatin1String("RtsCts"), Qt::CaseInsensitive) == 0) {
        flow = FlowControl::Hardware;
    } else if (trimmed.compare(QLatin1String("XonXoff"), Qt::CaseInsensitive) == 0) {
        flow = FlowControl::Software;
    } else {
        return false;
    }
    return true;
}

QString FlowText(FlowControl flow) {
    switch (flow) {
        case FlowControl::Hardware:
            return QStringLiteral("RtsCts");
        case FlowControl::Software:
            return QStringLiteral("XonXoff");
        case FlowControl::None:
            break;
    }
    return QStringLiteral("None");
}

LineControl::LineControl(SerialPort& port, SettingsStore& settings, QObject* parent)
    : QObject(parent), port_(port), settings_(settings) {}

void LineControl::WarnBadValue(const QString& key, const QString& stored, const QString& used) {
    if (warned_) {
        return;
    }
    warned_ = true;
    emit Warning(QString::fromLatin1(line_text::kMsgBadStoredValue).arg(key, stored, used));
}

bool LineControl::ReadFlag(const settings::SettingKey& key) {
    const QString def = settings::KeyName(key.defaultValue);
    const QString stored = settings_.GetSetting(key);
    if (const std::optional<bool> on = settings::ParseFlag(stored)) {
        return *on;
    }
    WarnBadValue(settings::KeyName(key.name), stored.trimmed(), def);
    return def == settings::FlagText(true);
}

void LineControl::Load(int portNumber) {
    portNumber_ = portNumber;
    requestToSend_ = true;
    dataTerminalReady_ = true;
    flow_ = FlowControl::None;
    if (portNumber >= 1 && portNumber <= settings::kPortCount) {
        requestToSend_ = ReadFlag(settings::PortKey(settings::kPortRequestToSend, portNumber));
        dataTerminalReady_ =
            ReadFlag(settings::PortKey(settings::kPortDataTerminalReady, portNumber));
        const settings::SettingKey& flowKey =
            settings::PortKey(settings::kPortFlowControl, portNumber);
        const QString stored = settings_.GetSetting(flowKey);
        if (!FlowFromText(stored, flow_)) {
            flow_ = FlowControl::None;
            WarnBadValue(settings::KeyName(flowKey.name), stored, FlowText(flow_));
        }
    }
    port_.SetFlowControl(flow_);
    port_.SetRequestToSend(requestToSend_);
    port_.SetDataTerminalReady(dataTerminalReady_);
}

int LineControl::BreakLengthMs() {
    const QString stored = settings_.GetSetting(settings::kBreakLengthMs);
    bool numeric = false;
    const int value = stored.trimmed().toInt(&numeric);
    if (numeric && value >= 1 && value <= line_text::kMaxBreakMs) {
        return value;
    }
    const QString def = settings::KeyName(settings::kBreakLengthMs.defaultValue);
    WarnBadValue(settings::KeyName(settings::kBreakLengthMs.name), stored, def);
    return def.toInt();
}

void LineControl::SetRequestToSend(bool on) {
    requestToSend_ = on;
    if (portNumber_ != 0) {
        settings_.SaveSetting(settings::PortKey(settings::kPortRequestToSend, portNumber_),
                              settings::FlagText(on));
    }
    port_.SetRequestToSend(on);
}

void LineControl::SetDataTerminalReady(bool on) {
    dataTerminalReady_ = on;
    if (portNumber_ != 0) {
        settings_.SaveSetting(settings::PortKey(settings::kPortDataTerminalReady, portNumber_),
                              settings::FlagText(on));
    }
    port_.SetDataTerminalReady(on);
}

void LineControl::SetFlow(FlowControl flow) {
    flow_ = flow;
    if (portNumber_ != 0) {
        settings_.SaveSetting(settings::PortKey(settings::kPortFlowControl, portNumber_),
                              FlowText(flow));
    }
    port_.SetFlowControl(flow);
}

void LineControl::SendBreak() {
    port_.SendBreak(BreakLengthMs());
}

}  // namespace kestrum
