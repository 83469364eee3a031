#pragma once
// What a tool window is given: the shared state and services, and the main window's
// operations by name, so that no tool window reaches into the main window's controls.

#include <QString>
#include <string>

#include "notation/byte_notation.h"
#include "storage/command_set_format.h"

class QLineEdit;

namespace kestrum {

struct AppState;
class DataMonitor;
class PortSession;
class Prompts;
class SettingsStore;

class MainWindowOperations {
public:
    virtual ~MainWindowOperations() = default;
    // The caption of command button 1 to 40.
    virtual QString CommandLabel(int index) const = 0;
    // Puts a command set (commands in Hex notation) into the buttons and CommandStrings.
    virtual void ApplyCommandSet(const CommandSet& set) = 0;
    // Names the current command set file in "Com Set:".
    virtual void ShowCommandFileName(const QString& fileName) = 0;
    // The String to Send box, where the checksum calculator's result goes back.
    virtual QLineEdit& SendBox() = 0;
    // Picks the main window's display mode, as a user's pick does.
    virtual void PickDisplayMode(DisplayMode mode) = 0;
    // Bytes that went out: `text` is shown as sent in the Data Monitor (when not empty) and
    // `bytes`, as the port took them, go to a running capture.
    virtual void ShowSent(const std::string& text, const std::string& bytes) = 0;
};

struct ToolContext {
    AppState& state;
    SettingsStore& settings;
    PortSession& port;
    Prompts& prompts;
    DataMonitor& monitor;
    MainWindowOperations& main;
};

}  // namespace kestrum
