// What a failed port open is called: "in use" only while another program holds the device
// (held: PortInUseTest).
// A free device behind a path too long for its lock file, and /dev/null picked as the device,
// each get their own reason.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "platform/qt_serial_port.h"
#include "session/port_constants.h"
#include "session/port_session.h"
#include "support/pty_pair.h"
#include "support/reliability_helpers.h"

namespace kestrum {
namespace {

// The warning the user sees when the port on `device` is opened, or nullopt when it opens.
std::optional<QString> OpenWarning(const QString& device) {
    QtSerialPort port([device](int) { return device; });
    try {
        port.SetPortOpen(true);
    } catch (const PortError& error) {
        return PortWarningText(error);
    }
    EXPECT_TRUE(port.PortOpen());
    return std::nullopt;
}

TEST(DeviceDiagnosis, AFreeDeviceOnALongPathIsNotCalledInUse) {
    PtyPair pty;
    QTemporaryDir folder;
    // About 267 characters, as a deep udev or container path gives.
    QString path = folder.path();
    while (path.size() < 200) {
        path += QStringLiteral("/deeper-folder-name");
    }
    ASSERT_TRUE(QDir().mkpath(path));
    path += QLatin1Char('/') + QString(267 - path.size() - 1, QLatin1Char('d'));
    ASSERT_EQ(::symlink(QFile::encodeName(pty.DevicePath()).constData(),
                        QFile::encodeName(path).constData()),
              0);
    ASSERT_EQ(path.size(), 267);

    const std::optional<QString> warning = OpenWarning(path);
    if (warning) {
        EXPECT_NE(*warning, QString::fromLatin1(port_text::kMsgPortInUse));
        EXPECT_TRUE(warning->startsWith(QString::fromLatin1(port_text::kMsgPortOpenFailed)))
            << warning->toStdString();
        EXPECT_TRUE(warning->contains(QString::fromLocal8Bit(std::strerror(ENAMETOOLONG))))
            << warning->toStdString();
    }
    // The same device under its own name is free.
    EXPECT_EQ(OpenWarning(pty.DevicePath()), std::nullopt);
}

TEST(DeviceDiagnosis, ADeviceThatIsNoTerminalIsNoSerialPort) {
    EXPECT_EQ(
        OpenWarning("/dev/null"),
        QStringLiteral("%1: /dev/null: Not a serial port").arg(port_text::kMsgPortOpenFailed));
}

}  // namespace
}  // namespace kestrum
