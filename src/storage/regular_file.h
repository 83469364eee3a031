#pragma once
// The one check before the program reads a file the user chose or a setting names (text file
// to send, command set, help) or replaces one (a save target): only a regular file goes on.
// A pipe or a terminal picked by mistake would otherwise block the window in open() or read()
// until something writes to it, and a device such as /dev/zero never ends.

#include <QFile>
#include <QString>

namespace kestrum {

enum class FileStatus {
    Regular,     // a regular file (a link to one counts), opened when asked to
    Missing,     // nothing of that name
    NotRegular,  // a folder, pipe, socket or device
    Failed,      // it could not be looked at or opened; `reason` says why
};

struct FileCheck {
    FileStatus status = FileStatus::Failed;
    QString reason;  // the system's words, empty for a regular file
    bool Ok() const { return status == FileStatus::Regular; }
};

inline constexpr auto kNotRegularFileReason = "Not a regular file";
inline constexpr auto kNoSuchFileReason = "No such file";

// "Error - <path> is not a regular file"
QString NotRegularFileMessage(const QString& path);

// Looks at `path` without opening it.
FileCheck CheckRegularFile(const QString& path);

// Opens `path` read-only into `file` (which must be closed) only when it is a regular file.
// The open itself does not wait (O_NONBLOCK) and the descriptor is checked again afterwards,
// so a pipe put in the file's place between the look and the open cannot block either.
FileCheck OpenRegularFile(QFile& file, const QString& path);

// A path a save may replace: anything but an existing folder, pipe, socket or device. Saves write a
// new file and rename it over the target, so a pipe or device there would be swapped for a plain
// file.
FileCheck CheckSaveTarget(const QString& path);

}  // namespace kestrum
