#include "platform/data_files.h"

#include <QDir>
#include <QFileInfo>

namespace kestrum {

QString DataFolderFor(const QString& executableFolder, const QString& relativePath) {
    const QString installed =
        QDir::cleanPath(QDir(executableFolder).filePath(QString::fromLatin1(kInstalledDataFolder)));
    for (const QString& folder : {QDir::cleanPath(executableFolder), installed}) {
        if (QFileInfo(QDir(folder).filePath(relativePath)).isFile()) {
            return folder;
        }
    }
    return QDir::cleanPath(executableFolder);
}

}  // namespace kestrum
