// The real serial port path, against a pseudo-terminal: the test holds the other end and
// plays the remote equipment.

#include "platform/qt_serial_port.h"
#include "platform/permission_hint.h"

#include "session/port_constants.h"
#include "session/port_session.h"
#include "support/pty_pair.h"
#include "support/reliability_helpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>
#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>
#include <numeric>

namespace kestrum {
namespace {

using namespace std::chrono_literals;

// A local port completes within the call: the failure it reported, if any.
std::optional<PortError> Failure(SerialPort& port, const std::function<void()>& action) {
    std::optional<PortError> failure;
    QObject context;
    const auto keep = [&failure](const PortError& error) { failure = error; };
    QObject::connect(&port, &SerialPort::OpenFailed, &context, keep);
    QObject::connect(&port, &SerialPort::SettingsRefused, &context, keep);
    action();
    return failure;
}

PortErrorKind KindOf(SerialPort& port, const std::function<void()>& action) {
    const std::optional<PortError> failure = Failure(port, action);
    if (!failure) {
        ADD_FAILURE() << "no failure reported";
        return PortErrorKind::Other;
    }
    return failure->kind();
}

PortErrorKind KindOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PortError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no PortError thrown";
    return PortErrorKind::Other;
}

class QtSerialPortTest : public ::testing::Test {
protected:
    // Port 2 is the pseudo-terminal; the others name nothing.
    std::unique_ptr<QtSerialPort> MakePort(bool open = true) {
        auto port = std::make_unique<QtSerialPort>(
            [this](int number) { return number == 2 ? pty_.DevicePath() : QString(); });
        port->SetCommPort(2);
        QObject::connect(port.get(), &SerialPort::OnComm, [this] { ++onComm_; });
        if (open) {
            port->Open();
        }
        return port;
    }

    bool WaitForWaiting(const SerialPort& port, int count) {
        return PumpEventsUntil([&] { return port.InBufferCount() >= count; }, 3000ms);
    }

    PtyPair pty_;
    int onComm_ = 0;
};

TEST_F(QtSerialPortTest, CarriesEveryByteValueBothWaysReadsByInputLenAndFlushesAtClose) {
    auto port = MakePort();
    ASSERT_TRUE(port->PortOpen());
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');

    port->Output(all);
    EXPECT_EQ(pty_.Read(256), all) << "no line-end or character translation out";
    ASSERT_TRUE(pty_.Write(all));
    ASSERT_TRUE(WaitForWaiting(*port, 256));
    EXPECT_GE(onComm_, 1);
    EXPECT_EQ(port->CommEvent(), kCommEventReceive);
    EXPECT_EQ(port->Input(), all) << "InputLen 0 reads everything waiting";
    EXPECT_EQ(port->InBufferCount(), 0);

    // A burst read one byte at a time, then nothing.
    port->SetInputLen(1);
    ASSERT_TRUE(pty_.Write("0123456789"));
    ASSERT_TRUE(WaitForWaiting(*port, 10));
    for (char expected = '0'; expected <= '9'; ++expected) {
        EXPECT_EQ(port->Input(), std::string(1, expected));
    }
    EXPECT_EQ(port->Input(), "");
    EXPECT_EQ(port->InBufferCount(), 0);

    // Closing lets queued output leave.
    const std::string queued(2000, 'q');
    port->Output(queued);  // nothing has gone out yet
    port->Close();
    EXPECT_EQ(pty_.Read(queued.size(), 1000ms).size(), queued.size());
}

TEST_F(QtSerialPortTest, SettingsApplyWhileOpenOrAreRefusedKeepingThePrevious) {
    auto port = MakePort();
    ASSERT_EQ(port->Settings(), "9600,n,8,1");

    // A Linux pseudo-terminal keeps any baud rate and stop bits but forces 8 data bits
    // without parity, silently. The port reads the settings back, so those are refused
    // instead of being reported as applied.
    struct Case {
        const char* reason;
        const char* settings;
        speed_t speed;  // of the settings taken; 0 when they are refused
    };
    const Case cases[] = {
        {"the default", "9600,n,8,1", B9600},
        {"another rate and two stop bits", "115200,n,8,2", B115200},
        {"even parity and 7 data bits: the pty drops both", "19200,e,7,1", 0},
        {"back to a rate and format the pty takes", "19200,n,8,1", B19200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const QString before = port->Settings();
        const speed_t speedBefore = pty_.DeviceSpeed();
        if (c.speed != 0) {
            ASSERT_FALSE(Failure(*port, [&] { port->ApplySettings(c.settings); }));
            EXPECT_EQ(port->Settings(), c.settings);
            const termios tio = *pty_.DeviceTermios();
            EXPECT_EQ(cfgetospeed(&tio), c.speed);
            EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, QString(c.settings).endsWith(",2"));
        } else {
            EXPECT_EQ(KindOf(*port, [&] { port->ApplySettings(c.settings); }),
                      PortErrorKind::SettingsNotApplied);
            EXPECT_EQ(port->Settings(), before) << "reading returns the settings in force";
            EXPECT_EQ(pty_.DeviceSpeed(), speedBefore)
                << "the previous rate is back in force on the device";
        }
        port->Output("ok");
        EXPECT_EQ(pty_.Read(2), "ok") << "data still flows after every change";
    }
}

TEST_F(QtSerialPortTest, SettingsOfAClosedPortAreKeptAndAppliedAtEveryOpen) {
    auto port = MakePort(false);
    EXPECT_EQ(KindOf(*port, [&] { port->ApplySettings("fast"); }),
              PortErrorKind::SettingsNotApplied);
    EXPECT_EQ(port->Settings(), "9600,n,8,1") << "malformed text changes nothing";
    port->ApplySettings("19200,e,7,1");  // closed: only stored
    EXPECT_EQ(KindOf(*port, [&] { port->Open(); }), PortErrorKind::SettingsNotApplied)
        << "the device refuses them at open";
    EXPECT_FALSE(port->PortOpen());
    EXPECT_EQ(port->Settings(), "19200,e,7,1");

    port->ApplySettings("57600,n,8,2");
    port->Open();
    EXPECT_EQ(pty_.DeviceSpeed(), B57600);
    port->Close();
    EXPECT_FALSE(port->PortOpen());
    port->Close();  // closing a closed port does nothing
    port->Open();
    EXPECT_TRUE(port->PortOpen());
    EXPECT_EQ(port->CommPort(), 2);
    EXPECT_EQ(port->Settings(), "57600,n,8,2");
    const termios tio = *pty_.DeviceTermios();
    EXPECT_EQ(cfgetospeed(&tio), B57600);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
}

TEST_F(QtSerialPortTest, OpenFailuresHaveTheirKinds) {
    auto port = MakePort();
    auto second = MakePort(false);
    EXPECT_EQ(KindOf(*second, [&] { second->Open(); }), PortErrorKind::PortInUse);
    EXPECT_FALSE(second->PortOpen());
    port->Close();
    EXPECT_FALSE(Failure(*second, [&] { second->Open(); })) << "the lock goes with the close";

    QTemporaryDir dir;
    QFile(dir.filePath("not-a-tty")).open(QIODevice::WriteOnly);
    const QString devices[] = {
        "/dev/kestrum-no-such-tty",  // a device path that does not exist
        "",                          // no device configured for the number
        dir.filePath("not-a-tty"),   // a regular file: no character device, as a folder
    };
    for (const QString& device : devices) {
        QtSerialPort missing([&](int) { return device; });
        EXPECT_EQ(KindOf(missing, [&] { missing.Open(); }), PortErrorKind::InvalidPortNumber)
            << device.toStdString();
        EXPECT_FALSE(missing.PortOpen());
    }
    for (const int number : {0, 5}) {
        EXPECT_EQ(KindOf([&] { port->SetCommPort(number); }), PortErrorKind::InvalidPortNumber);
        EXPECT_EQ(port->CommPort(), 2);
    }
}

// What the user is told of a failed open: "in use" only while another program holds the
// device (PortInUseTest); a free device behind a path too long for its lock file (about 267
// characters, as a deep udev or container path gives) and /dev/null get their own reasons.
TEST_F(QtSerialPortTest, AFreeDeviceOnALongPathOrANonTerminalIsNotCalledInUse) {
    const auto warning = [](const QString& device) -> std::optional<QString> {
        QtSerialPort port([device](int) { return device; });
        const std::optional<PortError> failure = Failure(port, [&] { port.Open(); });
        return failure ? std::optional<QString>(PortWarningText(*failure)) : std::nullopt;
    };
    QTemporaryDir folder;
    QString path = folder.path();
    while (path.size() < 200) {
        path += QStringLiteral("/deeper-folder-name");
    }
    ASSERT_TRUE(QDir().mkpath(path));
    path += QLatin1Char('/') + QString(267 - path.size() - 1, QLatin1Char('d'));
    ASSERT_EQ(::symlink(QFile::encodeName(pty_.DevicePath()).constData(),
                        QFile::encodeName(path).constData()),
              0);
    if (const std::optional<QString> text = warning(path)) {
        EXPECT_TRUE(text->startsWith(QString::fromLatin1(port_text::kMsgPortOpenFailed)))
            << text->toStdString();
        EXPECT_TRUE(text->contains(QString::fromLocal8Bit(std::strerror(ENAMETOOLONG))))
            << text->toStdString();
    }
    EXPECT_EQ(warning(pty_.DevicePath()), std::nullopt) << "the same device under its own name";
    EXPECT_EQ(
        warning("/dev/null"),
        QStringLiteral("%1: /dev/null: Not a serial port").arg(port_text::kMsgPortOpenFailed));
}

// Root, who runs the tests, is never refused a device: the hint's text is checked on its own.
TEST(PermissionHintTest, NamesTheDevicesGroupAndTheUserButNeverRootsGroup) {
    EXPECT_EQ(PermissionHint("dialout", "kim"),
              " (add your user to the dialout group: sudo adduser kim dialout, then log in again)");
    EXPECT_EQ(PermissionHint("uucp", ""),
              " (add your user to the uucp group: sudo adduser $USER uucp, then log in again)");
    EXPECT_EQ(PermissionHint("root", "kim"), "");
    EXPECT_EQ(PermissionHint("", "kim"), "");
    EXPECT_EQ(PermissionHintFor("/dev/null"), "") << "group root";
    EXPECT_EQ(PermissionHintFor("/dev/kestrum-no-such-tty"), "");
}

TEST_F(QtSerialPortTest, OnCommIsNeverReenteredAndLaterArrivalsAreStillReported) {
    auto port = MakePort();
    int depth = 0;
    int maxDepth = 0;
    int calls = 0;
    std::string seen;
    QObject::connect(port.get(), &SerialPort::OnComm, [&] {
        maxDepth = std::max(maxDepth, ++depth);
        seen += port->Input();
        if (++calls == 1) {
            // A handler that yields (as the text file sender does) while more bytes come.
            EXPECT_TRUE(pty_.Write("second"));
            PumpEventsFor(200ms);
        }
        --depth;
    });
    ASSERT_TRUE(pty_.Write("first"));
    EXPECT_TRUE(PumpEventsUntil([&] { return seen == "firstsecond"; }, 3000ms)) << seen;
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(calls, 2) << "bytes that came during the handler raise a notification after it";
}

TEST_F(QtSerialPortTest, DeviceLossClosesThePortOnceWithoutBusyLoop) {
    auto port = MakePort();
    QStringList reasons;
    QObject::connect(port.get(), &SerialPort::DeviceLost,
                     [&](const QString& reason) { reasons << reason; });
    port->SetRThreshold(0);  // keep the bytes waiting across the loss
    ASSERT_TRUE(pty_.Write("xyz"));
    ASSERT_TRUE(WaitForWaiting(*port, 3));

    pty_.CloseMaster();
    ASSERT_TRUE(PumpEventsUntil([&] { return !reasons.isEmpty(); }, 3000ms));
    EXPECT_FALSE(port->PortOpen());
    EXPECT_TRUE(reasons.front().contains(pty_.DevicePath())) << reasons.front().toStdString();

    const std::clock_t cpuBefore = std::clock();
    PumpEventsFor(500ms);
    EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC / 4) << "a hung-up device must not spin";
    EXPECT_EQ(reasons.size(), 1);

    EXPECT_EQ(port->Input(), "xyz") << "bytes received before the loss are kept";
    EXPECT_EQ(KindOf([&] { port->Output("x"); }), PortErrorKind::Other) << "a closed port";
    // The kernel removes the hung-up terminal's node a moment after the loss, not with it;
    // a test running beside this one may then be given the same terminal number.
    ASSERT_TRUE(PumpEventsUntil([&] { return !QFile::exists(pty_.DevicePath()); }, 2000ms));
    try {
        port->Open();
    } catch (const PortError& error) {
        if (!QFile::exists(pty_.DevicePath())) {
            EXPECT_EQ(error.kind(), PortErrorKind::InvalidPortNumber) << "the device is gone";
        }
    }
}

// A pseudo-terminal has no modem lines: the port says so, and the line calls do nothing
// and fail nothing. Flow control still reaches the terminal's settings, at open and after.
TEST_F(QtSerialPortTest, PseudoTerminalHasNoControlLinesButTakesFlowControl) {
    auto port = MakePort(false);
    port->SetFlowControl(FlowControl::Software);
    port->Open();
    EXPECT_FALSE(port->HasControlLines());
    port->SetRequestToSend(false);
    port->SetDataTerminalReady(false);
    port->SendBreak(250);
    EXPECT_EQ(port->ReadInputLines(), InputLines{});
    ASSERT_TRUE(pty_.DeviceTermios().has_value());
    EXPECT_NE(pty_.DeviceTermios()->c_iflag & IXON, 0u);
    port->SetFlowControl(FlowControl::None);
    EXPECT_EQ(pty_.DeviceTermios()->c_iflag & IXON, 0u);
    EXPECT_EQ(port->Flow(), FlowControl::None);
    port->Output("still");
    EXPECT_EQ(pty_.Read(5), "still");
}

}  // namespace
}  // namespace kestrum
