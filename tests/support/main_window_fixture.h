#pragma once
// A main window on an in-memory port, scripted prompts and a settings file of its own.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "session/app_state.h"
#include "storage/settings_store.h"
#include "support/memory_serial_port.h"
#include "support/scripted_prompts.h"
#include "ui/main/mainfrm.h"
#include "ui/monitor/data_monitor.h"

namespace kestrum {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : settings_(folder_.filePath("Kestrum.ini")) {}

    // Creates the window and runs the start-up sequence; store settings before calling.
    Mainfrm& Start() {
        window_ = std::make_unique<Mainfrm>(state_, settings_, port_, prompts_);
        window_->Form_Load();
        return *window_;
    }

    Mainfrm& Window() { return *window_; }
    std::string MonitorText() const { return window_->Monitor().PlainText(); }
    QString Path(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
    SettingsStore settings_;
    MemorySerialPort port_;
    ScriptedPrompts prompts_;
    AppState state_;
    std::unique_ptr<Mainfrm> window_;
};

}  // namespace kestrum
