#pragma once
// Writing all of a buffer to a file opened unbuffered (QIODevice::Unbuffered). Saves use
// unbuffered QSaveFiles: a buffered one can meet a short write (disk full, file size limit)
// in its final flush, lose it, and commit a cut-off file as a success.

#include <QFileDevice>
#include <string_view>

namespace kestrum {

// Writes every byte of `bytes`, going on after a short write. False when the file takes no
// more; file.errorString() then gives the reason (a short write alone does not say why, the
// write after it does).
bool WriteFully(QFileDevice& file, std::string_view bytes);

}  // namespace kestrum
