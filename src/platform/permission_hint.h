#pragma once
// What to add to "Permission denied" when the user may not open a serial device. On Debian
// the serial devices belong to group dialout; joining it is the fix.

#include <QString>
#include <string>
#include <string_view>

namespace kestrum {

// " (add your user to the dialout group: sudo adduser kim dialout, then log in again)" for
// group "dialout" and user "kim". Empty when the group is empty or "root": joining root's
// group is no fix to offer.
std::string PermissionHint(std::string_view group, std::string_view user);

// PermissionHint for the group that owns `device` and the user running the program.
std::string PermissionHintFor(const QString& device);

}  // namespace kestrum
