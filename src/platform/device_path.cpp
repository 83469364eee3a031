#include "platform/device_path.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kestrum {

namespace {

const char* WhatIsAt(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return nullptr;
    }
    if (S_ISREG(info.st_mode)) {
        return "a regular file";
    }
    if (S_ISFIFO(info.st_mode)) {
        return "a FIFO";
    }
    if (S_ISDIR(info.st_mode)) {
        return "a folder";
    }
    if (S_ISSOCK(info.st_mode)) {
        return "a socket";
    }
#else
    static_cast<void>(path);
#endif
    return nullptr;
}

}  // namespace

std::string NoDeviceReason(int port, const QString& path) {
    if (const char* what = WhatIsAt(path)) {
        return path.toStdString() + " is " + what + ", not a serial device";
    }
    return "No serial device for port " + std::to_string(port) + " (" + path.toStdString() + ")";
}

}  // namespace kestrum
