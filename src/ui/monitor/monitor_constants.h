#pragma once
// Colours, intervals and limits of the Data Monitor and its activity lamps.

#include <QColor>
#include <QRgb>
#include <chrono>
#include <cstddef>

namespace kestrum {

// Text that was sent, and the whole text after a re-render.
inline constexpr QRgb kTransmitColour = 0xFF000080;  // RGB(0, 0, 128)
// Received data.
inline constexpr QRgb kReceiveColour = 0xFFFF0000;  // RGB(255, 0, 0)

// The same two colours for code that speaks QColor.
inline constexpr QColor TransmitColour{qRed(kTransmitColour), qGreen(kTransmitColour),
                                       qBlue(kTransmitColour)};
inline constexpr QColor ReceiveColour{qRed(kReceiveColour), qGreen(kReceiveColour),
                                      qBlue(kReceiveColour)};

inline constexpr QRgb kLampOffColour = 0xFF808080;  // RGB(128, 128, 128)
inline constexpr QRgb kLampOnColour = 0xFF00FF00;   // RGB(0, 255, 0)

// Timer1: a lit lamp goes out at the first tick after it was lit.
inline constexpr std::chrono::milliseconds kLampInterval{100};

// The monitor holds at most this many characters; an append that would pass it
// empties the monitor first, so the newest data is always shown.
inline constexpr std::size_t kMonitorCapacity = std::size_t{64} * 1024 * 1024;

inline constexpr auto kMonitorToolTip = "Blue = Transmitted data, Red = Received data";
// Shown while the view is scrolled up and new data has arrived below it.
inline constexpr auto kNewDataBelowHint = "New data below (End)";

// SaveData's dialog: the second entry, "Text Files (*.txt)", is preselected.
inline constexpr auto kSaveDataFilter = "All Files (*.*)|*.*|Text Files (*.txt)|*.txt";
inline constexpr int kSaveDataFilterIndex = 2;

// Saved monitor text: every line break, and the end of the text, as CR LF.
inline constexpr auto kLineBreak = "\r\n";

// Arrival times: the tooltip over a character, and the gutter of Show Timestamps.
inline constexpr auto kArrivalTimeFormat = "HH:mm:ss.zzz";
inline constexpr auto kReceivedAtText = "Received %1";
inline constexpr auto kSentAtText = "Sent %1";
inline constexpr QRgb kGutterColour = 0xFF808080;  // RGB(128, 128, 128)
// The gutter holds a time and one column of space.
inline constexpr int kGutterColumns = 13;

// Inner margin of the monitor view, in pixels.
inline constexpr int kMonitorViewMargin = 3;

}  // namespace kestrum
