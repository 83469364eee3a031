#pragma once
// The main window on a network port served by ser2net (support/ser2net.h).

#include <QTimer>

#include "platform/port_router.h"
#include "support/pty_window.h"
#include "support/ser2net.h"

namespace kestrum {

// A stand-in resolver: "localhost" is 127.0.0.1, "silent.invalid" never answers, any other
// name is unknown. No test asks the machine's resolver.
inline void StandInLookup(const QString& host, QObject* context, HostFound done) {
    if (host == QLatin1String("silent.invalid")) {
        return;
    }
    QTimer::singleShot(0, context, [host, done = std::move(done)] {
        if (host == QLatin1String("localhost")) {
            done({QHostAddress(QHostAddress::LocalHost)}, {});
        } else {
            done({}, QStringLiteral("Unknown host"));
        }
    });
}

class NetworkPortTest : public WindowTest {
protected:
    ~NetworkPortTest() override { CloseWindows(); }

    // The window on port 1 = `url`, its open completed unless told not to wait; the notices
    // the port gave are kept.
    Mainfrm& StartAt(const QString& url, const char* mode, bool settle = true) {
        CloseWindows();
        settings_.SaveSetting("Device1", url);
        settings_.SaveSetting("Filetype", QString::fromLatin1(mode));
        port_ =
            std::make_unique<PortRouter>(DevicesFromSettings(settings_), nullptr, StandInLookup);
        QObject::connect(port_.get(), &SerialPort::Notice,
                         [this](const QString& text) { notices_.push_back(text); });
        firstMessage_ = prompts_.Messages().size();
        Mainfrm& window = StartOn(*port_);
        if (settle) {
            Settle();
        }
        return window;
    }

    // Until the open or settings change under way has completed.
    void Settle() {
        EXPECT_TRUE(PumpEventsUntil([this] { return !window_ || !Window().Session().Busy(); },
                                    std::chrono::seconds(5)));
    }

    // Opens the port and waits for the outcome: the failure's kind, or nullopt when open.
    std::optional<PortErrorKind> OpenAndSettle() {
        std::optional<PortErrorKind> failed;
        QObject context;
        QObject::connect(port_.get(), &SerialPort::OpenFailed, &context,
                         [&failed](const PortError& error) { failed = error.kind(); });
        port_->Open();
        EXPECT_TRUE(PumpEventsUntil([this] { return !port_->Opening(); }, std::chrono::seconds(5)));
        return failed;
    }

    // A fresh pseudo-terminal served by a fresh ser2net, and the window on it.
    Mainfrm& StartServed(const char* scheme, const char* mode) {
        notices_.clear();
        CloseWindows();
        port_.reset();
        server_.reset();
        pty_ = std::make_unique<PtyPair>();
        const bool rfc2217 = std::string_view(scheme) == "rfc2217";
        server_ = std::make_unique<Ser2net>(folder_.path(), pty_->DevicePath(), rfc2217);
        return StartAt(QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(server_->Port()), mode);
    }

    std::unique_ptr<PtyPair> pty_;
    std::unique_ptr<Ser2net> server_;
    std::unique_ptr<PortRouter> port_;
    std::vector<QString> notices_;
    std::size_t firstMessage_ = 0;

    // The messages since the last start.
    std::vector<QString> Messages() const {
        const auto& all = prompts_.Messages();
        return {all.begin() + static_cast<std::ptrdiff_t>(firstMessage_), all.end()};
    }
};

}  // namespace kestrum
