#pragma once
// The folder a file dialog last chose, remembered per dialog across runs (as the platform's
// own dialogs do), so that Save Data and Start Capture start where the user last was.

#include <QString>

#include "storage/settings_keys.h"

namespace kestrum {

class SettingsStore;

namespace settings {
inline constexpr SettingKey kSaveDataFolder{"SaveDataFolder", ""};
inline constexpr SettingKey kCaptureFolder{"CaptureFolder", ""};
}  // namespace settings

// The stored folder of `key` while it still exists; otherwise `fallback`.
QString RememberedFolder(const SettingsStore& settings, const settings::SettingKey& key,
                         const QString& fallback);
// Stores the folder of the file `path` under `key`.
void RememberFolderOf(SettingsStore& settings, const settings::SettingKey& key,
                      const QString& path);

}  // namespace kestrum
