#pragma once
// Where command sets live by default. In a build tree that is the executable's folder (and
// "Default.cmd" in the current folder), as the program always did. An installed program's
// folder (/usr/bin) is not the user's to write, so there the per-user data folder
// (~/.local/share/Kestrum) takes its place.

#include <QString>
#include <functional>

namespace kestrum {

// The loopback demo set, relative to the data folder (see data_files.h); copied as the
// user's Default.cmd on the first start that uses the per-user folder.
inline constexpr auto kDemoCommandSet = "examples/loopback-demo.cmd";
inline constexpr auto kDefaultCommandSetName = "Default.cmd";

struct CommandSetDefaults {
    QString directory;  // default of settings key "Directory": the open dialog's start
    QString fileName;   // default of settings key "Filename": the set loaded at start
};

// The defaults for a program whose executable lies in `executableFolder`. When that folder
// is writable (isWritable): the folder itself and the relative name "Default.cmd". Otherwise:
// `userFolder` and userFolder/Default.cmd; when `userFolder` does not exist yet (the first
// start there) it is made and `demoFile`, when it exists, copied in as Default.cmd, writable
// by the user. Failures to make or copy leave the defaults as they are: the start goes on.
CommandSetDefaults ChooseCommandSetDefaults(const QString& executableFolder,
                                            const QString& userFolder, const QString& demoFile,
                                            const std::function<bool(const QString&)>& isWritable);

// A folder the running user may create files in: an existing directory that access(2)
// allows writing to. Root passes on any directory of a writable file system.
bool IsWritableFolder(const QString& folder);

// The per-user folder: $XDG_DATA_HOME/Kestrum, by default ~/.local/share/Kestrum.
QString UserCommandSetFolder();

// ChooseCommandSetDefaults for this program: its executable's folder, the per-user folder,
// the installed demo set and IsWritableFolder.
CommandSetDefaults ProgramCommandSetDefaults();

}  // namespace kestrum
