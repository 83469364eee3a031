#include "storage/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrum {
namespace {

constexpr auto kOrganisation = "Kestrum";
constexpr auto kApplication = "Kestrum";
constexpr auto kGroup = "Properties";

// The stored spelling of `key` in the current group, or an empty string when absent. The
// exact spelling wins, so a file edited by hand to hold two spellings reads the one the
// program writes.
QString StoredKey(const QSettings& settings, const QString& key) {
    const QStringList keys = settings.childKeys();
    if (keys.contains(key)) {
        return key;
    }
    for (const QString& stored : keys) {
        if (stored.compare(key, Qt::CaseInsensitive) == 0) {
            return stored;
        }
    }
    return {};
}

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// QSettings says only that its write failed; the reason is found by trying what it tried: the
// folder, the file's place in it, and room for the file.
QString WriteFailureReason(const QString& iniPath) {
    const QByteArray file = QFile::encodeName(iniPath);
    const QByteArray folder = QFile::encodeName(QFileInfo(iniPath).absolutePath());
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0) {
        return SystemReason(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return SystemReason(ENOTDIR);
    }
    if (::stat(file.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return SystemReason(EISDIR);
    }
    QByteArray probe = folder + "/.Kestrum-write-check-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return SystemReason(errno);
    }
    // As much as the settings file holds, and a little more.
    const std::string bytes(static_cast<std::size_t>(QFileInfo(iniPath).size()) + 4096, ' ');
    // A short write does not say why; the write after it does.
    std::size_t done = 0;
    int writeError = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            writeError = written < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    ::close(fd);
    ::unlink(probe.constData());
    return writeError != 0 ? SystemReason(writeError)
                           : QStringLiteral("the file could not be written");
}

}  // namespace

namespace settings {

QString DefaultDirectory() {
    return QCoreApplication::applicationDirPath();
}

const SettingKey& PortLineSettingsKey(int port) {
    if (port < 1 || port > static_cast<int>(kPortLineSettings.size())) {
        throw std::out_of_range("port number outside 1..4");
    }
    return kPortLineSettings[static_cast<std::size_t>(port - 1)];
}

const SettingKey& PortDeviceKey(int port) {
    if (port < 1 || port > static_cast<int>(kPortDevices.size())) {
        throw std::out_of_range("port number outside 1..4");
    }
    return kPortDevices[static_cast<std::size_t>(port - 1)];
}

const SettingKey& PortKey(const PerPort<SettingKey>& keys, int port) {
    if (port < 1 || port > static_cast<int>(keys.size())) {
        throw std::out_of_range("port number outside 1..4");
    }
    return keys[static_cast<std::size_t>(port - 1)];
}

}  // namespace settings

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(const QString& iniPath) : iniPath_(iniPath) {}

SettingsStore::~SettingsStore() = default;

std::unique_ptr<QSettings> SettingsStore::Open() const {
    auto settings = iniPath_.isEmpty()
                        ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                      kOrganisation, kApplication)
                        : std::make_unique<QSettings>(iniPath_, QSettings::IniFormat);
    settings->beginGroup(kGroup);
    return settings;
}

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const {
    keysRead_->insert(key.toLower());
    if (const auto unsaved = unsaved_->values.find(key.toLower());
        unsaved != unsaved_->values.end()) {
        return unsaved->second;
    }
    const std::unique_ptr<QSettings> settings = Open();
    const QString stored = StoredKey(*settings, key);
    if (stored.isEmpty()) {
        return defaultValue;
    }
    const QVariant value = settings->value(stored);
    // An INI value written by hand without quotes, such as 9600,n,8,1, reads as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

QString SettingsStore::GetSetting(const settings::SettingKey& key) const {
    return GetSetting(settings::KeyName(key.name), settings::KeyName(key.defaultValue));
}

bool SettingsStore::SaveSetting(const QString& key, const QString& value) {
    const std::unique_ptr<QSettings> settings = Open();
    for (const QString& stored : settings->childKeys()) {
        if (stored != key && stored.compare(key, Qt::CaseInsensitive) == 0) {
            settings->remove(stored);
        }
    }
    settings->setValue(key, value);
    settings->sync();
    // A FormatError only says the earlier file had unreadable lines; the write went through.
    if (settings->status() != QSettings::AccessError) {
        unsaved_->values.erase(key.toLower());
        return true;
    }
    unsaved_->values[key.toLower()] = value;
    ReportFailure(*settings);
    return false;
}

void SettingsStore::ReportFailure(const QSettings& settings) {
    if (unsaved_->failureReported) {
        return;
    }
    unsaved_->failureReported = true;
    const QString path = settings.fileName();
    unsaved_->pendingMessage = QString::fromLatin1(kMsgSettingsNotSaved)
                                   .arg(QDir::toNativeSeparators(path), WriteFailureReason(path));
    if (unsaved_->onFirstFailure) {
        unsaved_->onFirstFailure(std::exchange(unsaved_->pendingMessage, {}));
    }
}

void SettingsStore::SetFirstFailureHandler(std::function<void(const QString& message)> handler) {
    unsaved_->onFirstFailure = std::move(handler);
    if (unsaved_->onFirstFailure && !unsaved_->pendingMessage.isEmpty()) {
        unsaved_->onFirstFailure(std::exchange(unsaved_->pendingMessage, {}));
    }
}

bool SettingsStore::SaveSetting(const settings::SettingKey& key, const QString& value) {
    return SaveSetting(settings::KeyName(key.name), value);
}

QString SettingsStore::FileName() const {
    return Open()->fileName();
}

}  // namespace kestrum
