#pragma once
// Where the program's read-only files (help, example command sets) are: beside the executable
// in a build tree, in ../share/kestrum once installed (bin/kestrum, share/kestrum/...).

#include <QString>

namespace kestrum {

// The installed data folder, relative to the executable's folder.
inline constexpr auto kInstalledDataFolder = "../share/kestrum";

// The folder that holds `relativePath`: the executable's folder when the file is there, else
// the installed data folder when it is there, else the executable's folder, so that a message
// about the missing file names the first place looked. The result is a clean path.
QString DataFolderFor(const QString& executableFolder, const QString& relativePath);

}  // namespace kestrum
