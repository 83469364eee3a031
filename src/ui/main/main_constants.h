#pragma once
// Captions, lists, tooltips and messages of the main window.

#include <array>
#include <string_view>

#include "kestrum_version.h"

namespace kestrum::main_ui {

inline constexpr auto kVersionMajor = version::kMajor;
inline constexpr auto kVersionMinor = version::kMinor;
inline constexpr auto kVersionRevision = version::kPatch;

inline constexpr auto kCaption = "Kestrum";
// The status line while a capture runs.
inline constexpr auto kCaptureState = "Capturing to %1";

// Messages.
inline constexpr auto kMsgNoData = "No Data to Send!";
inline constexpr auto kMsgNoChecksumString = "No string to calculate";
inline constexpr auto kMsgSaveFailed = "Error - The Data Monitor could not be saved to";

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
inline constexpr auto kCaptionShowTimestamps = "Show Timestamps";
inline constexpr auto kCaptionHoldDisplay = "Hold Display";
// File > Open Example lists the example command sets of an installed program.
inline constexpr auto kCaptionOpenExample = "Open Example";
inline constexpr auto kExamplesFolder = "examples";
inline constexpr auto kKeyHoldDisplay = "Ctrl+Shift+H";
inline constexpr auto kStatusHeld = "Held: %1 bytes waiting";
inline constexpr auto kTipProcessDesigned = "Display ascii text as separate lines";
inline constexpr auto kTipProcessReleased = "Display ascii data on separate lines";
inline constexpr auto kTipProcessPressed = "Display ascii Cr and Lf characters";

inline constexpr int kDesignClientWidthTwips = 11805;
inline constexpr int kDesignClientHeightTwips = 8385;
// Text sizes that fit the design geometry.
inline constexpr int kToolbarFontPixels = 10;

}  // namespace kestrum::main_ui
