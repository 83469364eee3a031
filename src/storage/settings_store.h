#pragma once
// The per-user settings store: string values in section "Properties" of application
// "Kestrum", read with a default and written at once.

#include "storage/settings_keys.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <set>

class QSettings;

namespace kestrum {

// Said once per run, at the first value that could not be written: %1 the file, %2 why.
inline constexpr auto kMsgSettingsNotSaved =
    "Warning: Settings could not be saved to %1: %2. Changes last until Kestrum closes.";

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
    // in case is replaced, so one key remains. What was saved is what GetSetting returns from
    // then on, in this store and its copies, also when the file could not be written: the
    // running program does what the user chose, the file is only its copy. Returns false when
    // the file could not be written; the first such failure goes to the failure handler.
    bool SaveSetting(const QString& key, const QString& value);
    bool SaveSetting(const settings::SettingKey& key, const QString& value);

    // Called with kMsgSettingsNotSaved, filled in, at the first failed write of this store and
    // its copies (at once, when that came before the handler); later failures are not reported.
    void SetFirstFailureHandler(std::function<void(const QString& message)> handler);

    // Every key this store and its copies were asked for, folded to lower case: what the
    // program reads, which its Help names.
    const std::set<QString>& KeysRead() const { return *keysRead_; }

    // Path of the INI file behind the store.
    QString FileName() const;

private:
    // A fresh QSettings per operation: its status() then tells about that operation alone
    // (QSettings keeps an error status once set). Qt caches the parsed file, so this is cheap.
    std::unique_ptr<QSettings> Open() const;

    // Values whose write failed, by key folded to lower case; shared by copies of the store
    // (the serial port looks devices up through one).
    struct Unsaved {
        std::map<QString, QString> values;
        bool failureReported = false;
        QString pendingMessage;  // a failure seen before anyone listened
        std::function<void(const QString&)> onFirstFailure;
    };

    void ReportFailure(const QSettings& settings);

    QString iniPath_;  // empty: the user's store
    std::shared_ptr<Unsaved> unsaved_ = std::make_shared<Unsaved>();
    std::shared_ptr<std::set<QString>> keysRead_ = std::make_shared<std::set<QString>>();
};

}  // namespace kestrum
