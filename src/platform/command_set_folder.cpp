#include "platform/command_set_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "platform/data_files.h"

namespace kestrum {

CommandSetDefaults ChooseCommandSetDefaults(const QString& executableFolder,
                                            const QString& userFolder, const QString& demoFile,
                                            const std::function<bool(const QString&)>& isWritable) {
    const QString name = QString::fromLatin1(kDefaultCommandSetName);
    if (isWritable(executableFolder)) {
        return {executableFolder, name};
    }
    const QString target = QDir(userFolder).filePath(name);
    if (!QFileInfo::exists(userFolder) && QDir().mkpath(userFolder) &&
        QFileInfo(demoFile).isFile() && QFile::copy(demoFile, target)) {
        // The copy takes the installed file's mode; the user's set must be theirs to edit.
        QFile::setPermissions(
            target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return {userFolder, target};
}

bool IsWritableFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    return QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#else
    return QFileInfo(folder).isDir() && QFileInfo(folder).isWritable();
#endif
}

QString UserCommandSetFolder() {
    // Not AppDataLocation: that appends organisation and application,
    // ~/.local/share/Kestrum/Kestrum.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Kestrum"));
}

CommandSetDefaults ProgramCommandSetDefaults() {
    const QString executableFolder = QCoreApplication::applicationDirPath();
    const QString demo = QString::fromLatin1(kDemoCommandSet);
    const QString demoFile = QDir(DataFolderFor(executableFolder, demo)).filePath(demo);
    return ChooseCommandSetDefaults(executableFolder, UserCommandSetFolder(), demoFile,
                                    IsWritableFolder);
}

}  // namespace kestrum
