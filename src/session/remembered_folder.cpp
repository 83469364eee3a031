#include "session/remembered_folder.h"

#include <QFileInfo>

#include "storage/settings_store.h"

namespace kestrum {

QString RememberedFolder(const SettingsStore& settings, const settings::SettingKey& key,
                         const QString& fallback) {
    const QString stored = settings.GetSetting(key);
    // A folder removed or unmounted since: the dialog's own start instead.
    return !stored.isEmpty() && QFileInfo(stored).isDir() ? stored : fallback;
}

void RememberFolderOf(SettingsStore& settings, const settings::SettingKey& key,
                      const QString& path) {
    settings.SaveSetting(key, QFileInfo(path).absolutePath());
}

}  // namespace kestrum
