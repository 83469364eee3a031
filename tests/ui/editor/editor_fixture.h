#pragma once
// A main window with its tool windows, for tests of the command set editor and the checksum
// calculator as the user reaches them.

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QStringList>

#include "storage/command_set_file.h"
#include "support/main_window_fixture.h"
#include "ui/editor/editfrm.h"
#include "ui/main/tool_windows.h"
#include "ui/tools/checkfrm.h"

namespace kestrum {

class EditorTest : public MainWindowTest {
protected:
    // The main window, started, with the tool windows wired to it (owned by the window).
    Mainfrm& StartWithTools() {
        Mainfrm& window = Start();
        new ToolWindows(window);
        return window;
    }

    // The toolbar's Edit button; returns the editor now open.
    Editfrm& OpenEditor() {
        // A window closed in an earlier step is gone by the time the user can click again.
        FlushDeletes();
        Window().ToolbarButton("Edit")->trigger();
        Editfrm* editor = Editor();
        if (editor == nullptr) {
            throw std::logic_error("no editor opened");
        }
        return *editor;
    }

    // The open editor / calculator, or nullptr. Windows closed are deleted first.
    Editfrm* Editor() {
        FlushDeletes();
        return Window().findChild<Editfrm*>();
    }
    Checkfrm* Calculator() {
        FlushDeletes();
        return Window().findChild<Checkfrm*>();
    }

    static void FlushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Main window captions 1..40 and strings, for before/after comparisons.
    QStringList Captions() {
        QStringList captions;
        for (int i = 1; i <= 40; ++i) {
            captions << Window().Command(i).text();
        }
        return captions;
    }

    // A command set file in the test folder, loaded at start-up.
    void StoreStartupSet(const CommandSet& set) {
        ASSERT_TRUE(WriteCommandSet(Path("Start.cmd"), set));
        settings_.SaveSetting("Filename", Path("Start.cmd"));
    }
};

}  // namespace kestrum
