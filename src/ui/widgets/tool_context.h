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
class TrafficPath;

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
};

struct ToolContext {
    AppState& state;
    SettingsStore& settings;
    PortSession& port;
    // Where a tool window sends; the main window shows what went out.
    TrafficPath& traffic;
    Prompts& prompts;
    DataMonitor& monitor;
    MainWindowOperations& main;
};

}  // namespace kestrum
