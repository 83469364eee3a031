#include "storage/command_set_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include "storage/file_writing.h"

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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        SetError(errorText, file.errorString());
        return false;
    }
    if (!WriteFully(file, bytes)) {
        SetError(errorText, file.errorString());
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
