#pragma once
// The per-user settings store: string values in section "Properties" of application
// "Kestrum", read with a default and written at once.

#include "storage/settings_keys.h"

#include <QString>
#include <memory>

class QSettings;

namespace kestrum {

class SettingsStore {
public:
    // The user's store: INI file, user scope, organisation and application "Kestrum"
    // (Linux: ~/.config/Kestrum/Kestrum.ini).
    SettingsStore();
    // A store on an explicit INI file, for tests and tools.
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();

    // The stored text of `key`, or `defaultValue` when no key of that name (in any case)
    // exists. Never fails.
    QString GetSetting(const QString& key, const QString& defaultValue) const;
    QString GetSetting(const settings::SettingKey& key) const;

    // Stores `value` under `key` and writes the file at once. A key whose name differs only
    // in case is replaced, so one key remains. Returns false when the file could not be
    // written (the value then lives only in this process); most callers ignore that.
    bool SaveSetting(const QString& key, const QString& value);
    bool SaveSetting(const settings::SettingKey& key, const QString& value);

    // Path of the INI file behind the store.
    QString FileName() const;

private:
    // A fresh QSettings per operation: its status() then tells about that operation alone
    // (QSettings keeps an error status once set). Qt caches the parsed file, so this is cheap.
    std::unique_ptr<QSettings> Open() const;

    QString iniPath_;  // empty: the user's store
};

}  // namespace kestrum
