#pragma once
// The port's lists and the messages of the port rules, shared by every window that picks,
// opens or configures the port.

#include <array>
#include <string_view>

#include "storage/settings_keys.h"

namespace kestrum::port_text {

inline constexpr auto kMsgInvalidPort = "Warning: Invalid Port Number";
inline constexpr auto kMsgPortInUse = "Warning: Comm port in use by another application";
inline constexpr auto kMsgStartupPortInUse = "Warning: Com port  in use by another application";
inline constexpr auto kMsgBaudNotSupported = "Warning: This baud rate not supported for this port";
inline constexpr auto kMsgFormatNotSupported = "Warning: This format not supported for this port";
inline constexpr auto kMsgDisconnected = "The Port is disconnected";
inline constexpr auto kMsgPortOpenFailed = "Warning: The Com port could not be opened";
inline constexpr auto kMsgDeviceLost =
    "Warning: The Com port device was lost and the port is closed";

inline constexpr std::array<std::string_view, settings::kPortCount> kPortNumbers{"1", "2", "3",
                                                                                 "4"};
// 230400, 460800 and 921600, the rates USB adapters are used at every day, stand where their
// values put them.
inline constexpr std::array<std::string_view, 18> kBaudRates{
    "110",   "300",   "600",   "1200",   "2400",   "4800",   "9600",   "14400",  "19200",
    "28800", "38400", "57600", "115200", "128000", "230400", "256000", "460800", "921600"};
inline constexpr std::array<std::string_view, 9> kFormats{
    "n,8,1", "n,8,2", "o,7,1", "o,7,2", "e,7,1", "e,7,2", "m,7,1", "m,7,2", "s,7,1"};

}  // namespace kestrum::port_text
