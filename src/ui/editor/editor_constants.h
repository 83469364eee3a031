#pragma once
// Captions, tooltips, messages and design geometry of the command set editor.

#include "storage/command_set_format.h"
#include "ui/widgets/paging.h"

namespace kestrum::editor_ui {

inline constexpr auto kCaption = "Edit Com Set";

inline constexpr auto kLabelByteDisplay = "Byte Display";
inline constexpr auto kHeadingLabel = "Label";
inline constexpr auto kHeadingString = "Command String";
inline constexpr auto kLabelCalculateChecksum = "Calculate Checksum";
inline constexpr auto kLabelComSet = "Com Set:";
inline constexpr auto kComSetDesignText = "Current Command Set";
inline constexpr auto kCaptionSave = "Save";
inline constexpr auto kCaptionClose = "Close";

inline constexpr auto kTipUpDown = "Select Command buttons to view";
inline constexpr auto kTipDisplayMode = "Data byte display mode";
inline constexpr auto kTipSave = "Save changes to the Command Set";
inline constexpr auto kTipClose = "Close this window";

inline constexpr auto kMsgNoChecksumString = "Click on a String to calculate";
// Followed by " <path>: <reason>".
inline constexpr auto kMsgSaveChanges = "Save the changes to the command set?";
inline constexpr auto kMsgSaveFailed = "Error - The Command Set could not be saved to";
// A label is one field of a command set file line: these characters would split the line.
inline constexpr auto kMsgLabelSeparator =
    "Error - A label cannot hold a line break or the separator character (1E hex)";
inline constexpr auto kLabelForbiddenCharacters = "\r\n\x1e";

inline constexpr auto kCommandSetFilter = "All Files (*.*)|*.*|Command Files (*.cmd)|*.cmd";
inline constexpr int kCommandSetFilterIndex = 2;

inline constexpr int kRowCount = static_cast<int>(kCommandCount);
inline constexpr int kRowsPerBlock = kRowsPerPage;

// Design geometry, twips, for a client area of kClientWidthTwips x kClientHeightTwips.
inline constexpr int kClientWidthTwips = 8385;
inline constexpr int kClientHeightTwips = 6810;
inline constexpr int kFirstRowTopTwips = 1140;
inline constexpr int kRowPitchTwips = 420;
inline constexpr int kRowHeightTwips = 375;

// Text size that fits the design geometry, as in the main window.
inline constexpr int kFontPixels = 11;
inline constexpr auto kArial = "Arial";

}  // namespace kestrum::editor_ui
