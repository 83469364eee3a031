#pragma once
// The main window under test: a settings file of its own, scripted prompts, and the port
// either in memory (MainWindowTest) or a real QtSerialPort on a pseudo-terminal (PtyWindowTest
// in support/pty_window.h). The text file sender opens on it when asked.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string_view>

#include "session/app_state.h"
#include "storage/settings_store.h"
#include "support/memory_serial_port.h"
#include "support/scripted_prompts.h"
#include "ui/main/mainfrm.h"
#include "ui/monitor/data_monitor.h"
#include "ui/tools/sendfrm.h"

namespace kestrum {

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : settings_(folder_.filePath("Kestrum.ini")) {}
    // The sender and the window go before the port: every fixture's destructor calls this.
    void CloseWindows() {
        sender_.reset();
        window_.reset();
    }

    // Creates the window on `port` and runs the start-up; store settings before calling.
    Mainfrm& StartOn(SerialPort& port) {
        window_ = std::make_unique<Mainfrm>(state_, settings_, port, prompts_);
        window_->Form_Load();
        return *window_;
    }

    // The text file sender as it opens with the remembered file `path` (none when empty).
    Sendfrm& OpenSender(const QString& path = {}) {
        if (!path.isEmpty()) {
            settings_.SaveSetting("File", path);
        }
        sender_ = std::make_unique<Sendfrm>(Window().Tools());
        return *sender_;
    }

    Mainfrm& Window() { return *window_; }
    std::string MonitorText() const { return window_->Monitor().PlainText(); }
    QString Path(const QString& name) const { return folder_.filePath(name); }

    // Writes `bytes` to the file `name` in the test folder; returns its path.
    QString WriteFile(const QString& name, std::string_view bytes) const {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return file.fileName();
    }
    static QByteArray FileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder_;
    SettingsStore settings_;
    ScriptedPrompts prompts_;
    AppState state_;
    std::unique_ptr<Mainfrm> window_;
    std::unique_ptr<Sendfrm> sender_;
};

class MainWindowTest : public WindowTest {
protected:
    ~MainWindowTest() override { CloseWindows(); }
    Mainfrm& Start() { return StartOn(port_); }

    MemorySerialPort port_;
};

}  // namespace kestrum
