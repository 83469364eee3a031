#include "storage/settings_store.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <stdexcept>

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
    return settings->status() != QSettings::AccessError;
}

bool SettingsStore::SaveSetting(const settings::SettingKey& key, const QString& value) {
    return SaveSetting(settings::KeyName(key.name), value);
}

QString SettingsStore::FileName() const {
    return Open()->fileName();
}

}  // namespace kestrum
