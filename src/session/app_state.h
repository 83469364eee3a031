#pragma once
// The process-wide values that the windows share. One object, created by main() and handed
// to every window that needs it. The port flags live with the port rules (PortSession).

#include <array>
#include <cstdint>
#include <string>

#include <QString>

#include "notation/byte_notation.h"

namespace kestrum {

struct AppState {
    // The main window's notation (String to Send box and Data Monitor); 0 until start-up
    // applies the stored display mode.
    std::int16_t MainMode = 0;
    // The command set editor's notation.
    std::int16_t EditorMode = static_cast<std::int16_t>(DisplayMode::Hex);
    // 1 when received carriage returns and line feeds become line breaks in Ascii. Kept as
    // the stored number: a value other than 0 or 1 leaves the toolbar button as designed.
    std::int16_t ProcessCrLf = 0;

    // Command strings in Hex notation; slots 1 to 40 are used, slot 0 stays empty.
    std::array<std::string, 41> CommandStrings{};
    QString CommandFileName;
    QString CommandDirectory;
    // Where the Data Monitor was last saved; kept apart from the command set file name.
    QString DataFileName;
    // Where the save dialog starts before anything was saved: the program's folder.
    QString DialogFolder;

    // The string handed to the checksum calculator and where it goes back
    // (ChecksumRow 0: the String to Send box; 1 to 40: that editor row).
    std::string ChecksumString;
    std::int16_t ChecksumMode = static_cast<std::int16_t>(DisplayMode::Hex);
    std::int16_t ChecksumRow = 0;

    QString VersionText;
    // Whether resize notifications rescale controls (the first one only arms it).
    bool LayoutArmed = false;

    bool ProcessCrLfOn() const { return ProcessCrLf == 1; }
    DisplayMode MainDisplayMode() const {
        return MainMode >= 1 && MainMode <= 3 ? static_cast<DisplayMode>(MainMode)
                                              : DisplayMode::Hex;
    }
};

}  // namespace kestrum
