#pragma once
// The main window's toolbar: ten buttons in design order, and the twelve images.

#include <QIcon>
#include <array>

#include "ui/main/main_constants.h"

namespace kestrum {

struct ToolbarButtonDesign {
    const char* key;
    const char* caption;
    const char* toolTip;
    int image;  // 1-based index into the image list
    bool twoState;
};

inline constexpr std::array<ToolbarButtonDesign, 10> kToolbarButtons{{
    {"Open", "Open Com Set", "Open a Command Set file", 1, false},
    {"Save", "Save Data", "Save the contents of the Data Monitor window", 2, false},
    {"Print", "Print Data", "Print the contents of the Data Monitor ", 3, false},
    {"Clear", "Clear Data", "Clear the Data Monitor window", 4, false},
    {"Send", "Send String", "Transmit the data in the String to Send box", 5, false},
    {"Edit", "Edit Com Set", "Edit the Command Set file", 6, false},
    {"SendText", "Send Text File", "Send a complete text file", 7, false},
    {"SetCom", "Port Settings", "Change the Com Port settings", 8, false},
    {"ClosePort", main_ui::kCaptionDisconnect, main_ui::kTipCloseDesigned, 9, true},
    {"ProcessCrLf", main_ui::kCaptionProcessCrLf, main_ui::kTipProcessDesigned, 11, true},
}};

// Images of the image list: 9 and 10 are the port connected and disconnected, 11 and 12
// Process Cr/Lf released and pressed.
inline constexpr int kImageConnected = 9;
inline constexpr int kImageDisconnected = 10;
inline constexpr int kImageProcessReleased = 11;
inline constexpr int kImageProcessPressed = 12;

// Image `index` (1 to 12) of the image list.
QIcon ToolbarImage(int index);

}  // namespace kestrum
