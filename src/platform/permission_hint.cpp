#include "platform/permission_hint.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrum {

std::string PermissionHint(std::string_view group, std::string_view user) {
    if (group.empty() || group == "root") {
        return {};
    }
    const std::string name = user.empty() ? std::string("$USER") : std::string(user);
    const std::string groupName(group);
    return " (add your user to the " + groupName + " group: sudo adduser " + name + " " +
           groupName + ", then log in again)";
}

#ifdef Q_OS_UNIX
std::string PermissionHintFor(const QString& device) {
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0) {
        return {};
    }
    const group* owner = ::getgrgid(info.st_gid);
    const passwd* user = ::getpwuid(::geteuid());
    return PermissionHint(owner != nullptr ? owner->gr_name : "",
                          user != nullptr ? user->pw_name : "");
}
#else
std::string PermissionHintFor(const QString&) {
    return {};
}
#endif

}  // namespace kestrum
