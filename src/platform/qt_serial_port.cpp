#include "platform/qt_serial_port.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

#include "platform/device_path.h"
#include "platform/permission_hint.h"

namespace kestrum {
namespace {

constexpr auto kNotASerialPort = "Not a serial port";
// A burst of noise can count thousands of line errors in one poll; each is reported, up to
// this many per poll, so that a line full of garbage cannot stall the window.
constexpr long kMostLineErrorsPerPoll = 10000;

// QSerialPort::Handle is private: int on Unix, HANDLE on Windows.
using DeviceHandle = decltype(std::declval<const QSerialPort&>().handle());

QSerialPort::Parity ToQt(Parity parity) {
    switch (parity) {
        case Parity::None:
            return QSerialPort::NoParity;
        case Parity::Odd:
            return QSerialPort::OddParity;
        case Parity::Even:
            return QSerialPort::EvenParity;
        case Parity::Mark:
            return QSerialPort::MarkParity;
        case Parity::Space:
            return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits StopBitsToQt(int stopBits) {
    return stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
}

QSerialPort::DataBits DataBitsToQt(int dataBits) {
    return static_cast<QSerialPort::DataBits>(dataBits);  // Data5..Data8 are 5..8
}

#ifdef Q_OS_UNIX

// tcsetattr() succeeds when any part of a request was taken, and some drivers silently
// drop what they cannot do (a pseudo-terminal forces 8 data bits without parity). So what
// the device really holds is read back and compared.
bool FrameMatches(DeviceHandle descriptor, const PortSettingsString& wanted) {
    termios tio{};
    if (::tcgetattr(descriptor, &tio) != 0) {
        return false;
    }
    constexpr std::array<tcflag_t, 4> kSizes{CS5, CS6, CS7, CS8};
    if ((tio.c_cflag & CSIZE) != kSizes[static_cast<std::size_t>(wanted.dataBits - 5)]) {
        return false;
    }
    if (((tio.c_cflag & CSTOPB) != 0) != (wanted.stopBits == 2)) {
        return false;
    }
    const bool enabled = (tio.c_cflag & PARENB) != 0;
    const bool odd = (tio.c_cflag & PARODD) != 0;
#ifdef CMSPAR
    const bool sticky = (tio.c_cflag & CMSPAR) != 0;
#else
    const bool sticky = wanted.parity == Parity::Mark || wanted.parity == Parity::Space;
#endif
    switch (wanted.parity) {
        case Parity::None:
            return !enabled;
        case Parity::Odd:
            return enabled && odd && !sticky;
        case Parity::Even:
            return enabled && !odd && !sticky;
        case Parity::Mark:
            return enabled && odd && sticky;
        case Parity::Space:
            return enabled && !odd && sticky;
    }
    return false;
}

// For rates with a termios constant the kernel may substitute another constant; custom
// rates (set by Qt through BOTHER) are trusted to QSerialPort's own result.
bool BaudMatches(DeviceHandle descriptor, int baud) {
    struct Standard {
        int baud;
        speed_t code;
    };
    static constexpr Standard kStandard[] = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},     {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400},
    };
    termios tio{};
    if (::tcgetattr(descriptor, &tio) != 0) {
        return false;
    }
    for (const Standard& standard : kStandard) {
        if (standard.baud == baud) {
            return ::cfgetospeed(&tio) == standard.code;
        }
    }
    return true;
}

// A path that exists but is no character device (a file, a folder) is no serial port.
bool IsNoDevice(const QString& device) {
    struct stat info {};
    return ::stat(QFile::encodeName(device).constData(), &info) == 0 && !S_ISCHR(info.st_mode);
}

bool LacksPermission(const QString& device) {
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

// The name of the UUCP-style lock file that serial programs (QSerialPort among them) make
// for a device: "LCK.." and the path below /dev with its slashes made underscores.
std::string LockFileName(const QString& device) {
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return "LCK.." + QFile::encodeName(name).toStdString();
}

// A lock file of the device whose owner (the process id on its first line) is alive.
bool LockHeldByLiveProcess(const QString& device) {
    static constexpr const char* kLockFolders[] = {
        "/var/lock",       "/run/lock", "/etc/locks",        "/var/spool/locks",
        "/var/spool/uucp", "/tmp",      "/var/lock/lockdev", "/var/tmp",
    };
    const std::string name = LockFileName(device);
    if (name.size() > NAME_MAX) {
        return false;
    }
    for (const char* folder : kLockFolders) {
        QFile lock(QString::fromLatin1(folder) + QLatin1Char('/') +
                   QString::fromLocal8Bit(name.c_str()));
        if (!lock.open(QIODevice::ReadOnly)) {
            continue;
        }
        bool isNumber = false;
        const qint64 pid = lock.readLine(64).trimmed().toLongLong(&isNumber);
        if (isNumber && pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) {
            return true;
        }
    }
    return false;
}

// Why a device that Qt would not open under its lock is refused when no other program holds
// it. nullopt: another program does (it has the device open exclusively, EBUSY, or a live
// process owns its lock file). An empty reason: none better than Qt's own.
std::optional<std::string> NotHeldReason(const QString& device) {
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY) {
            return std::nullopt;
        }
        return SystemReason(errno);
    }
    ::close(fd);
    if (LockHeldByLiveProcess(device)) {
        return std::nullopt;
    }
    if (LockFileName(device).size() > NAME_MAX) {
        return "No lock file can be made for a device path this long (" +
               SystemReason(ENAMETOOLONG) + ")";
    }
    return std::string();
}

// A device that opens but is no terminal (/dev/null, /dev/zero) is no serial port.
bool IsNoTerminal(const QString& device) {
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return !terminal;
}

#else

bool FrameMatches(DeviceHandle, const PortSettingsString&) {
    return true;
}
bool BaudMatches(DeviceHandle, int) {
    return true;
}
bool IsNoDevice(const QString&) {
    return false;
}
bool LacksPermission(const QString&) {
    return false;
}
std::optional<std::string> NotHeldReason(const QString&) {
    return std::nullopt;
}
bool IsNoTerminal(const QString&) {
    return false;
}

#endif

// Whether the driver answers for the modem lines; a pseudo-terminal refuses (ENOTTY).
bool AnswersModemLines(DeviceHandle descriptor) {
#ifdef Q_OS_UNIX
    int bits = 0;
    return ::ioctl(descriptor, TIOCMGET, &bits) == 0;
#else
    static_cast<void>(descriptor);
    return true;
#endif
}

// The driver's counts of framing errors, parity errors and breaks received (Linux serial
// drivers keep them); false where it keeps none.
bool ReadErrorCounts(DeviceHandle descriptor, long& framing, long& parity, long& breaks) {
#if defined(Q_OS_LINUX) && defined(TIOCGICOUNT)
    serial_icounter_struct counts{};
    if (::ioctl(descriptor, TIOCGICOUNT, &counts) != 0) {
        return false;
    }
    framing = counts.frame;
    parity = counts.parity;
    breaks = counts.brk;
    return true;
#else
    static_cast<void>(descriptor);
    static_cast<void>(framing);
    static_cast<void>(parity);
    static_cast<void>(breaks);
    return false;
#endif
}

QSerialPort::FlowControl FlowToQt(FlowControl flow) {
    switch (flow) {
        case FlowControl::None:
            return QSerialPort::NoFlowControl;
        case FlowControl::Hardware:
            return QSerialPort::HardwareControl;
        case FlowControl::Software:
            return QSerialPort::SoftwareControl;
    }
    return QSerialPort::NoFlowControl;
}

}  // namespace

DeviceLookup DevicesFromSettings(SettingsStore store) {
    return [store = std::move(store)](int port) {
        return store.GetSetting(settings::PortDeviceKey(port));
    };
}

QtSerialPort::QtSerialPort(DeviceLookup devices, QObject* parent)
    : BufferedPort(std::move(devices), kCloseDrainMs, parent) {
    linePoll_.setInterval(kLinePollMs);
    connect(&linePoll_, &QTimer::timeout, this, &QtSerialPort::PollLines);
    breakEnd_.setSingleShot(true);
    connect(&breakEnd_, &QTimer::timeout, this, [this] {
        if (serial_) {
            serial_->setBreakEnabled(false);
        }
    });
}

QtSerialPort::~QtSerialPort() {
    // The signals must not reach this half-destroyed object while the device closes.
    if (serial_) {
        serial_->disconnect(this);
    }
    blockSignals(true);
}

bool QtSerialPort::MayReopen() {
    const QString device = DeviceName();
    return !device.isEmpty() && QFileInfo::exists(device);
}

void QtSerialPort::Configure(QSerialPort& serial, const PortSettingsString& settings) {
    // On a closed QSerialPort these only store the values, which open() then applies.
    serial.setBaudRate(settings.baud);
    serial.setDataBits(DataBitsToQt(settings.dataBits));
    serial.setParity(ToQt(settings.parity));
    serial.setStopBits(StopBitsToQt(settings.stopBits));
}

void QtSerialPort::StartApply(const PortSettingsString& wanted) {
    // A local device takes or refuses settings at once.
    if (const std::optional<PortError> refused = ApplyToOpenDevice(wanted)) {
        SettingsRefusedWith(*refused);
    } else {
        SettingsDone(wanted);
    }
}

std::optional<PortError> QtSerialPort::ApplyToOpenDevice(const PortSettingsString& wanted) {
    const auto restore = [this] {
        Configure(*serial_, Current());
        serial_->clearError();
    };
    const DeviceHandle descriptor = serial_->handle();
    if (!serial_->setBaudRate(wanted.baud) || !BaudMatches(descriptor, wanted.baud)) {
        const QString reason = serial_->errorString();
        restore();
        return PortError(PortErrorKind::BaudRateNotSupported, "The device does not take " +
                                                                  std::to_string(wanted.baud) +
                                                                  " baud: " + reason.toStdString());
    }
    const bool applied = serial_->setDataBits(DataBitsToQt(wanted.dataBits)) &&
                         serial_->setParity(ToQt(wanted.parity)) &&
                         serial_->setStopBits(StopBitsToQt(wanted.stopBits)) &&
                         FrameMatches(descriptor, wanted);
    if (!applied) {
        restore();
        return PortError(PortErrorKind::SettingsNotApplied,
                         "The device does not take the settings " + wanted.Format().toStdString());
    }
    return std::nullopt;
}

void QtSerialPort::StartOpen(const QString& device) {
    // A terminal opens without blocking, so the open completes within this call.
    if (const std::optional<PortError> failed = OpenDevice(device)) {
        serial_.reset();
        OpenRefused(*failed);
        return;
    }
    openDevice_ = device;
    StartControlLines();
    OpenDone();
}

std::optional<PortError> QtSerialPort::OpenDevice(const QString& device) {
    if (device.isEmpty() || IsNoDevice(device)) {
        return PortError(PortErrorKind::InvalidPortNumber, NoDeviceReason(CommPort(), device));
    }
    serial_ = std::make_unique<QSerialPort>();
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    serial_->setPortName(device);
    Configure(*serial_, Current());
    if (!serial_->open(QIODevice::ReadWrite)) {
        return OpenFailure(device);
    }
#ifdef Q_OS_UNIX
    if (::isatty(serial_->handle()) != 1) {
        return PortError(PortErrorKind::Other, device.toStdString() + ": " + kNotASerialPort);
    }
#endif
    if (!FrameMatches(serial_->handle(), Current()) ||
        !BaudMatches(serial_->handle(), Current().baud)) {
        return PortError(PortErrorKind::SettingsNotApplied, device.toStdString() +
                                                                " does not take the settings " +
                                                                Current().Format().toStdString());
    }
    connect(serial_.get(), &QSerialPort::readyRead, this, &QtSerialPort::OnReadyRead);
    connect(serial_.get(), &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { OnError(error); });
    return std::nullopt;
}

void QtSerialPort::StartControlLines() {
    serial_->setFlowControl(FlowToQt(flow_));
    hasControlLines_ = AnswersModemLines(serial_->handle());
    errorCounts_ = {};
    long framing = 0;
    long parity = 0;
    long breaks = 0;
    const bool counts = ReadErrorCounts(serial_->handle(), framing, parity, breaks);
    if (counts) {
        errorCounts_ = {framing, parity, breaks};
    }
    if (!hasControlLines_) {
        inputLines_ = {};
        if (counts) {
            linePoll_.start();
        }
        return;
    }
    ApplyOutputLines();
    PollLines();
    linePoll_.start();
}

bool QtSerialPort::HasControlLines() const {
    return serial_ && hasControlLines_;
}

void QtSerialPort::StopControlLines() {
    linePoll_.stop();
    breakEnd_.stop();
    hasControlLines_ = false;
    if (inputLines_ != InputLines{}) {
        inputLines_ = {};
        emit InputLinesChanged(inputLines_);
    }
}

void QtSerialPort::ApplyOutputLines() {
    if (!HasControlLines()) {
        return;
    }
    // Under RTS/CTS handshake the driver owns RTS.
    if (flow_ != FlowControl::Hardware) {
        serial_->setRequestToSend(requestToSend_);
    }
    serial_->setDataTerminalReady(dataTerminalReady_);
    serial_->clearError();
}

void QtSerialPort::PollLines() {
    if (!serial_ || LossQueued()) {
        return;
    }
    if (hasControlLines_) {
        const QSerialPort::PinoutSignals pins = serial_->pinoutSignals();
        const InputLines now{
            pins.testFlag(QSerialPort::ClearToSendSignal),
            pins.testFlag(QSerialPort::DataSetReadySignal),
            pins.testFlag(QSerialPort::DataCarrierDetectSignal),
            pins.testFlag(QSerialPort::RingIndicatorSignal),
        };
        if (now != inputLines_) {
            inputLines_ = now;
            emit InputLinesChanged(now);
        }
    }
    long framing = 0;
    long parity = 0;
    long breaks = 0;
    if (errorCounts_.framing < 0 || !ReadErrorCounts(serial_->handle(), framing, parity, breaks)) {
        return;
    }
    const auto report = [this](long now, long& seen, LineError error) {
        const long added = std::clamp(now - seen, 0L, kMostLineErrorsPerPoll);
        seen = now;
        for (long i = 0; i < added; ++i) {
            emit LineErrorOccurred(error);
        }
    };
    report(framing, errorCounts_.framing, LineError::Framing);
    report(parity, errorCounts_.parity, LineError::Parity);
    report(breaks, errorCounts_.breaks, LineError::BreakReceived);
}

void QtSerialPort::SetRequestToSend(bool on) {
    requestToSend_ = on;
    ApplyOutputLines();
}

void QtSerialPort::SetDataTerminalReady(bool on) {
    dataTerminalReady_ = on;
    ApplyOutputLines();
}

void QtSerialPort::SendBreak(int milliseconds) {
    if (!HasControlLines() || milliseconds <= 0) {
        return;
    }
    // Held from the event loop rather than by a blocking tcsendbreak, so the window stays live.
    serial_->setBreakEnabled(true);
    breakEnd_.start(milliseconds);
}

void QtSerialPort::SetFlowControl(FlowControl flow) {
    flow_ = flow;
    if (serial_) {
        serial_->setFlowControl(FlowToQt(flow));
        ApplyOutputLines();
    }
}

PortError QtSerialPort::OpenFailure(const QString& device) const {
    const std::string reason = device.toStdString() + ": " + serial_->errorString().toStdString();
    if (IsNoTerminal(device)) {
        return PortError(PortErrorKind::Other, device.toStdString() + ": " + kNotASerialPort);
    }
    switch (serial_->error()) {
        case QSerialPort::DeviceNotFoundError:
        case QSerialPort::ResourceError:  // a device node without hardware behind it (EIO)
            return PortError(PortErrorKind::InvalidPortNumber, reason);
        case QSerialPort::PermissionError:
            // Qt reports the device's lock file held by another program, and a device that
            // is exclusively open (EBUSY), as a permission error; a missing permission is not
            // "in use".
            if (LacksPermission(device)) {
                return PortError(PortErrorKind::Other, reason + PermissionHintFor(device));
            }
            // "In use" only when another program is seen holding it; a lock file that could
            // not be made (a long path, no lock folder) is not that.
            if (const std::optional<std::string> other = NotHeldReason(device)) {
                return PortError(PortErrorKind::Other,
                                 other->empty() ? reason : device.toStdString() + ": " + *other);
            }
            return PortError(PortErrorKind::PortInUse, reason);
        case QSerialPort::UnsupportedOperationError:
            return PortError(PortErrorKind::SettingsNotApplied, reason);
        default:
            return PortError(PortErrorKind::Other, reason);
    }
}

std::unique_ptr<QIODevice> QtSerialPort::ReleaseDevice() {
    if (!serial_) {
        return nullptr;
    }
    const QByteArray bytes = serial_->readAll();
    Received().Keep(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    StopControlLines();
    serial_->disconnect(this);
    return std::move(serial_);
}

void QtSerialPort::OnReadyRead() {
    const QByteArray bytes = serial_->readAll();
    Received().Arrived(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void QtSerialPort::OnError(int error) {
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            break;
        default:
            return;
    }
    if (!serial_ || LossQueued()) {
        return;
    }
    const QString detail = serial_->errorString();
    switch (error) {
        case QSerialPort::ReadError:  // the read found nothing to read: a hang-up
            QueueLoss(QStringLiteral("The serial device %1 has hung up (its other end closed or "
                                     "the adapter was unplugged).")
                          .arg(openDevice_));
            break;
        case QSerialPort::WriteError:
            QueueLoss(QStringLiteral("Writing to the serial device %1 failed (%2).")
                          .arg(openDevice_, detail));
            break;
        default:
            QueueLoss(QStringLiteral("The serial device %1 is no longer available (%2).")
                          .arg(openDevice_, detail));
            break;
    }
}

void QtSerialPort::DiscardDeviceInput() {
    serial_->clear(QSerialPort::Input);
    static_cast<void>(serial_->readAll());
}

bool QtSerialPort::WriteData(std::string_view bytes) {
    const qint64 size = static_cast<qint64>(bytes.size());
    return serial_->write(bytes.data(), size) == size;
}

QIODevice* QtSerialPort::Device() const {
    return serial_.get();
}

}  // namespace kestrum
