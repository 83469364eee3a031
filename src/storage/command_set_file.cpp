#include "storage/command_set_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

namespace kestrum {
namespace {

void SetError(QString* errorText, const QString& text) {
    if (errorText != nullptr) {
        *errorText = text;
    }
}

}  // namespace

std::optional<CommandSet> ReadCommandSet(const QString& path, QString* errorText) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(errorText, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        SetError(errorText, file.errorString());
        return std::nullopt;
    }
    return ParseCommandSet(std::string_view(bytes.constData(), bytes.size()));
}

bool WriteCommandSet(const QString& path, const CommandSet& set, QString* errorText) {
    const std::string bytes = SerializeCommandSet(set);
    QSaveFile file(path);
    // Unbuffered: a buffered QSaveFile lets a short write at flush time (disk full, file
    // size limit) go unnoticed and commits the truncated file. Unbuffered, write() returns
    // what really reached the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        SetError(errorText, file.errorString());
        return false;
    }
    const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        SetError(errorText, written < 0 ? file.errorString()
                                        : QStringLiteral("Only %1 of %2 bytes could be written")
                                              .arg(written)
                                              .arg(bytes.size()));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        SetError(errorText, file.errorString());
        return false;
    }
    return true;
}

}  // namespace kestrum
