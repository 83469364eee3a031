#pragma once
// Command set files on disk: a read of the first forty lines, atomic write. Bytes in, bytes out;
// the widgets convert labels with Latin-1, so every byte round-trips.

#include "storage/command_set_format.h"

#include <QString>
#include <optional>

namespace kestrum {

// The file's entries (ParseCommandSet), or nullopt when the file cannot be opened or read,
// is not a regular file, or holds more than 256 MiB before its fortieth line end; the caller
// then keeps its previous entries. Bytes after the fortieth line end are not read. `errorText`,
// when given, receives the reason.
[[nodiscard]] std::optional<CommandSet> ReadCommandSet(const QString& path,
                                                       QString* errorText = nullptr);

// Writes the set (SerializeCommandSet) to `path` through a temporary file that replaces the
// target only when every byte was written; a folder, pipe or device at `path` is refused
// (CheckSaveTarget). Returns false when anything failed: the earlier
// file, if any, is then left untouched and `errorText`, when given, receives the reason.
[[nodiscard]] bool WriteCommandSet(const QString& path, const CommandSet& set,
                                   QString* errorText = nullptr);

}  // namespace kestrum
