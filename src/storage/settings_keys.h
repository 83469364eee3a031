#pragma once
// Every key of the settings store, with the default a reader uses when the key is absent.
// All keys live in section "Properties" of application "Kestrum"; names compare without
// regard to case, so "CommPort" and "Commport" are one key.

#include <QString>
#include <array>
#include <optional>
#include <string_view>

namespace kestrum::settings {

// How many Com Ports the program offers (1..kPortCount).
inline constexpr int kPortCount = 4;
template <typename T>
using PerPort = std::array<T, kPortCount>;

struct SettingKey {
    std::string_view name;
    std::string_view defaultValue;
};

// The selected port number, "1".."4". Written as "CommPort" by the port selection and read
// as "Commport" at start-up: the same key.
inline constexpr SettingKey kCommPort{"CommPort", "1"};
inline constexpr SettingKey kCommPortAtStart{"Commport", "1"};

// Line settings of ports 1..4 ("9600,n,8,1"), index port - 1.
inline constexpr std::string_view kLineSettingsDefault = "9600,n,8,1";
inline constexpr PerPort<SettingKey> kPortLineSettings{{
    {"CommPort1", kLineSettingsDefault},
    {"CommPort2", kLineSettingsDefault},
    {"CommPort3", kLineSettingsDefault},
    {"CommPort4", kLineSettingsDefault},
}};

// The device behind each port number, index port - 1.
#ifdef _WIN32
inline constexpr PerPort<SettingKey> kPortDevices{{
    {"Device1", "COM1"},
    {"Device2", "COM2"},
    {"Device3", "COM3"},
    {"Device4", "COM4"},
}};
#else
inline constexpr PerPort<SettingKey> kPortDevices{{
    {"Device1", "/dev/ttyS0"},
    {"Device2", "/dev/ttyS1"},
    {"Device3", "/dev/ttyS2"},
    {"Device4", "/dev/ttyS3"},
}};
#endif

// The modem control lines of ports 1..4, index port - 1: RTS and DTR "1" raised or "0"
// lowered, flow control "None", "RtsCts" or "XonXoff". Applied at every open.
inline constexpr PerPort<SettingKey> kPortRequestToSend{{
    {"RequestToSend1", "1"},
    {"RequestToSend2", "1"},
    {"RequestToSend3", "1"},
    {"RequestToSend4", "1"},
}};
inline constexpr PerPort<SettingKey> kPortDataTerminalReady{{
    {"DataTerminalReady1", "1"},
    {"DataTerminalReady2", "1"},
    {"DataTerminalReady3", "1"},
    {"DataTerminalReady4", "1"},
}};
inline constexpr PerPort<SettingKey> kPortFlowControl{{
    {"FlowControl1", "None"},
    {"FlowControl2", "None"},
    {"FlowControl3", "None"},
    {"FlowControl4", "None"},
}};
// How long Send Break holds the line, in milliseconds (1..10000).
inline constexpr SettingKey kBreakLengthMs{"BreakLengthMs", "250"};
// "1": a lost device is watched for and reopened when it returns; "0": not.
inline constexpr SettingKey kReconnectAutomatically{"ReconnectAutomatically", "1"};

// One notation name shared by two windows that start from different defaults.
inline constexpr SettingKey kFiletypeMainWindow{"Filetype", "Hex"};
inline constexpr SettingKey kFiletypeTextSender{"Filetype", "Ascii"};

// "0" or "1": received CR and LF break lines in Ascii notation.
inline constexpr SettingKey kProcessCrLf{"Process", "0"};

// "1": the Data Monitor shows each burst's arrival time in a gutter; anything else: it does not.
inline constexpr SettingKey kShowTimestamps{"ShowTimestamps", "0"};

// Full path of the last command set file opened through the open dialog. Its default is the
// executable's folder, known only at run time: see DefaultDirectory().
inline constexpr std::string_view kDirectoryKey = "Directory";

// The current command set file.
inline constexpr SettingKey kCommandFileName{"Filename", "Default.cmd"};

inline constexpr SettingKey kChecksum{"Checksum",
                                      "Negative Two's Complement Sum  (Orvane/Dynalite Dimmers)"};

// Text file sender: pause after each line and after each byte (milliseconds), last file.
inline constexpr SettingKey kLineDelay{"Delay", "0"};
inline constexpr SettingKey kByteDelay{"BDelay", "0"};
inline constexpr SettingKey kTextFile{"File", ""};

// Default of kDirectoryKey: the folder that holds the running executable.
QString DefaultDirectory();

// The line settings key and the device key of port 1..4; throws std::out_of_range otherwise.
const SettingKey& PortLineSettingsKey(int port);
const SettingKey& PortDeviceKey(int port);
// The entry of port 1..4 in one of the per-port key tables above; throws std::out_of_range.
const SettingKey& PortKey(const PerPort<SettingKey>& keys, int port);

// How the on/off settings are written ("Process", "ShowTimestamps", "RequestToSend1", ...).
inline QString FlagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The one reading of an on/off key added beyond the described ones: "1" on, "0" off (spaces
// around them ignored), anything else nullopt, for the caller to take the key's default and
// say so at most once. ("Process" keeps its own described reading: any short integer.)
inline std::optional<bool> ParseFlag(const QString& stored) {
    const QString value = stored.trimmed();
    if (value == QLatin1String("1") || value == QLatin1String("0")) {
        return value == QLatin1String("1");
    }
    return std::nullopt;
}

inline QString KeyName(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kestrum::settings
