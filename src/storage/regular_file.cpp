#include "storage/regular_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrum {
namespace {

FileCheck FromErrno(int error) {
    if (error == ENOENT) {
        return {FileStatus::Missing, QString::fromLatin1(kNoSuchFileReason)};
    }
    return {FileStatus::Failed, QString::fromLocal8Bit(std::strerror(error))};
}

FileCheck FromMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return {FileStatus::Regular, {}};
    }
    return {FileStatus::NotRegular, QString::fromLatin1(kNotRegularFileReason)};
}

}  // namespace

QString NotRegularFileMessage(const QString& path) {
    return QStringLiteral("Error - %1 is not a regular file").arg(path);
}

FileCheck CheckRegularFile(const QString& path) {
    struct stat info {};
    if (path.isEmpty()) {
        return FromErrno(ENOENT);
    }
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return FromErrno(errno);
    }
    return FromMode(info.st_mode);
}

FileCheck OpenRegularFile(QFile& file, const QString& path) {
    // Looked at first, so that a device is not even opened (opening a serial device raises
    // its control lines).
    if (FileCheck check = CheckRegularFile(path); !check.Ok()) {
        return check;
    }
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return FromErrno(errno);
    }
    struct stat info {};
    FileCheck check = ::fstat(fd, &info) == 0 ? FromMode(info.st_mode) : FromErrno(errno);
    if (check.Ok()) {
        // Reads of a regular file never wait; the flag is dropped all the same.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            check = FromErrno(errno);
        }
    }
    if (!check.Ok()) {
        ::close(fd);
        return check;
    }
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {FileStatus::Failed, file.errorString()};
    }
    return check;
}

FileCheck CheckSaveTarget(const QString& path) {
    // Anything else that stops the save is for the save itself to report.
    FileCheck check = CheckRegularFile(path);
    if (check.status != FileStatus::NotRegular) {
        return {FileStatus::Regular, {}};
    }
    return check;
}

}  // namespace kestrum
