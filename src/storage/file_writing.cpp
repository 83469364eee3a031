#include "storage/file_writing.h"

namespace kestrum {

bool WriteFully(QFileDevice& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const qint64 done = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (done <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

}  // namespace kestrum
