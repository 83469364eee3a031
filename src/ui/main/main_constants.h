#pragma once
// Captions, lists, tooltips and messages of the main window.

#include <array>
#include <string_view>

namespace kestrum::main_ui {

inline constexpr auto kVersionMajor = 1;
inline constexpr auto kVersionMinor = 6;
inline constexpr auto kVersionRevision = 8;

inline constexpr auto kCaption = "Kestrum";

// Messages.
inline constexpr auto kMsgInvalidPort = "Warning: Invalid Port Number";
inline constexpr auto kMsgPortInUse = "Warning: Comm port in use by another application";
inline constexpr auto kMsgStartupPortInUse = "Warning: Com port  in use by another application";
inline constexpr auto kMsgBaudNotSupported = "Warning: This baud rate not supported for this port";
inline constexpr auto kMsgFormatNotSupported = "Warning: This format not supported for this port";
inline constexpr auto kMsgDisconnected = "The Port is disconnected";
inline constexpr auto kMsgNoData = "No Data to Send!";
inline constexpr auto kMsgNoChecksumString = "No string to calculate";
inline constexpr auto kMsgPortOpenFailed = "Warning: The Com port could not be opened";
inline constexpr auto kMsgDeviceLost =
    "Warning: The Com port device was lost and the port is closed";
inline constexpr auto kMsgSaveFailed = "Error - The Data Monitor could not be saved to";
// %1 bytes refused of %2.
inline constexpr auto kMsgWriteRefused =
    "Warning: The Com port refused %1 of %2 bytes; the string is not shown as sent";

// Lists.
inline constexpr std::array<std::string_view, 4> kPortNumbers{"1", "2", "3", "4"};
inline constexpr std::array<std::string_view, 15> kBaudRates{
    "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",  "14400",
    "19200", "28800", "38400", "57600", "115200", "128000", "256000"};
inline constexpr std::array<std::string_view, 9> kFormats{
    "n,8,1", "n,8,2", "o,7,1", "o,7,2", "e,7,1", "e,7,2", "m,7,1", "m,7,2", "s,7,1"};
inline constexpr std::array<std::string_view, 3> kDisplayModes{"Ascii", "Hex", "Decimal"};

// Labels and tooltips.
inline constexpr auto kTipComPort = "Com port number";
inline constexpr auto kTipBaud = "Com port baud rate";
inline constexpr auto kTipFormat = "Parity, Data Bits, Stop Bits";
inline constexpr auto kTipDisplayMode = "Data byte display mode";
inline constexpr auto kTipSendBox = "Enter string to send";
inline constexpr auto kTipSendButton = "Transmit the data in the String to Send box";
inline constexpr auto kTipUpDown = "Select Command Buttons ";

// Connect/Disconnect faces.
inline constexpr auto kCaptionDisconnect = "Disconnect";
inline constexpr auto kCaptionConnect = "Connect";
inline constexpr auto kTipCloseDesigned = "Close the Com Port";
inline constexpr auto kTipClose = "Close the ComPort";
inline constexpr auto kTipOpen = "Open the ComPort";

// Process Cr/Lf faces.
inline constexpr auto kCaptionProcessCrLf = "Process Cr/Lf";
inline constexpr auto kCaptionShowCrLf = "Show Cr/Lf";
inline constexpr auto kTipProcessDesigned = "Display ascii text as separate lines";
inline constexpr auto kTipProcessReleased = "Display ascii data on separate lines";
inline constexpr auto kTipProcessPressed = "Display ascii Cr and Lf characters";

inline constexpr int kDesignClientWidthTwips = 11805;
inline constexpr int kDesignClientHeightTwips = 8385;
// Text sizes that fit the design geometry.
inline constexpr int kClientFontPixels = 11;
inline constexpr int kToolbarFontPixels = 10;

}  // namespace kestrum::main_ui
