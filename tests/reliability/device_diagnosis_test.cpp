// What a failed port open is called: "in use" only while another program holds the device.
// A free device behind a path too long for its lock file, and /dev/null or /dev/zero picked as
// the device, each get their own reason.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "platform/qt_serial_port.h"
#include "session/port_constants.h"
#include "session/port_session.h"
#include "support/pty_pair.h"

// Failures show the text, not its UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

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

QString OpenFailed(const QString& device, const QString& reason) {
    return QStringLiteral("%1: %2: %3").arg(port_text::kMsgPortOpenFailed, device, reason);
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

TEST(DeviceDiagnosis, HeldByAnotherPortItIsInUse) {
    PtyPair pty;
    QtSerialPort other([&](int) { return pty.DevicePath(); });
    other.SetPortOpen(true);
    EXPECT_EQ(OpenWarning(pty.DevicePath()), QString::fromLatin1(port_text::kMsgPortInUse));
}

TEST(DeviceDiagnosis, ADeviceThatIsNoTerminalIsNoSerialPort) {
    for (const QString& device : {QStringLiteral("/dev/null"), QStringLiteral("/dev/zero")}) {
        EXPECT_EQ(OpenWarning(device), OpenFailed(device, QStringLiteral("Not a serial port")));
    }
}

}  // namespace
}  // namespace kestrum
