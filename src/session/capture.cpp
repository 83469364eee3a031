#include "session/capture.h"

#include <QDateTime>
#include <QFileInfo>

#include "notation/received_formatter.h"
#include "storage/file_writing.h"
#include "storage/regular_file.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kestrum {

using namespace capture_text;

namespace {

// The same file whatever way it is named: links resolved where the file exists.
QString Identity(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

bool SameFile(const QString& a, const QString& b) {
    return !a.isEmpty() && !b.isEmpty() && Identity(a) == Identity(b);
}

CaptureForm CaptureFormForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("bin") || suffix == QLatin1String("raw") ? CaptureForm::Raw
                                                                            : CaptureForm::Log;
}

std::string CaptureLogLine(const QDateTime& when, bool received, std::string_view bytes,
                           DisplayMode mode) {
    std::string text = FormatReceived(bytes, mode, /*processCrLf=*/false);
    if (mode != DisplayMode::Ascii) {
        // In Ascii a trailing space is a byte; in Hex and Decimal only a separator.
        text.erase(text.find_last_not_of(' ') + 1);
    }
    std::string line = when.toString(QString::fromLatin1(kStampFormat)).toStdString();
    line += ' ';
    line += received ? kReceivedTag : kSentTag;
    line += ' ';
    line += text;
    line += '\n';
    return line;
}

std::optional<QString> CaptureRefusal(const QString& path, const QString& senderFile,
                                      const QString& commandSetFile, const QString& settingsFile) {
    if (SameFile(path, senderFile)) {
        return QString::fromLatin1(kMsgSenderFile).arg(path);
    }
    if (SameFile(path, commandSetFile)) {
        return QString::fromLatin1(kMsgCommandSetFile).arg(path);
    }
    if (SameFile(path, settingsFile)) {
        return QString::fromLatin1(kMsgSettingsFile).arg(path);
    }
    return std::nullopt;
}

Capture::Capture(QObject* parent) : QObject(parent) {
    flushTimer_.setInterval(kFlushInterval);
    connect(&flushTimer_, &QTimer::timeout, this, &Capture::Flush);
}

Capture::~Capture() {
    // Nobody is left to tell of a failure now; what could be written is.
    blockSignals(true);
    Stop();
}

std::optional<QString> Capture::Start(const QString& path, CaptureForm form) {
    const FileCheck target = CheckSaveTarget(path);
    if (!target.Ok()) {
        return QString::fromLatin1(kMsgCannotStart).arg(path, target.reason);
    }
    if (SameFile(path, path_)) {
        // Its last bytes go in before the file is emptied, not after.
        Stop();
    }
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: a short write (disk full) is seen by the write that makes it, never lost in a
    // buffer QFile would flush on its own.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        return QString::fromLatin1(kMsgCannotStart).arg(path, file->errorString());
    }
    Stop();
    file_ = std::move(file);
    path_ = path;
    form_ = form;
    flushTimer_.start();
    return std::nullopt;
}

void Capture::Stop() {
    if (Running() && Flush()) {
        Close();
    }
}

std::optional<QString> Capture::RefusalFor(const QString& path, const char* saved) const {
    if (Running() && SameFile(path, path_)) {
        return QString::fromLatin1(kMsgCaptureFile).arg(path, QString::fromLatin1(saved));
    }
    return std::nullopt;
}

void Capture::Received(std::string_view bytes, DisplayMode mode) {
    if (!Running() || bytes.empty()) {
        return;
    }
    if (form_ == CaptureForm::Raw) {
        Collect(bytes);
    } else {
        Collect(CaptureLogLine(QDateTime::currentDateTime(), true, bytes, mode));
    }
}

void Capture::Sent(std::string_view bytes, DisplayMode mode) {
    if (!Running() || bytes.empty() || form_ == CaptureForm::Raw) {
        return;
    }
    Collect(CaptureLogLine(QDateTime::currentDateTime(), false, bytes, mode));
}

void Capture::Event(const QString& text) {
    if (!Running() || form_ == CaptureForm::Raw) {
        return;
    }
    Collect(QDateTime::currentDateTime().toString(QString::fromLatin1(kStampFormat)).toStdString() +
            ' ' + kEventTag + ' ' + text.toStdString() + '\n');
}

void Capture::Collect(std::string_view text) {
    pending_ += text;
    if (pending_.size() >= kFlushBytes) {
        Flush();
    }
}

bool Capture::Flush() {
    if (!Running()) {
        return false;
    }
    if (!StillAtPath()) {
        Close();
        emit Failed(QString::fromLatin1(kMsgVanished).arg(path_));
        return false;
    }
    if (WriteFully(*file_, pending_)) {
        pending_.clear();
        return true;
    }
    const QString reason = file_->errorString();
    Close();
    emit Failed(QString::fromLatin1(kMsgStopped).arg(path_, reason));
    return false;
}

bool Capture::StillAtPath() const {
#ifdef Q_OS_UNIX
    struct stat held {};
    struct stat named {};
    // A file removed with its folder, or renamed over by a save to the same name, keeps taking
    // writes through the open descriptor; only the path says they reach nothing.
    return ::fstat(file_->handle(), &held) == 0 && held.st_nlink > 0 &&
           ::stat(QFile::encodeName(path_).constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
#else
    return QFileInfo::exists(path_);
#endif
}

void Capture::Close() {
    flushTimer_.stop();
    pending_.clear();
    file_.reset();
}

}  // namespace kestrum
