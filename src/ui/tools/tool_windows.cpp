#include "ui/tools/tool_windows.h"

#include "ui/main/app_state.h"
#include "ui/main/mainfrm.h"
#include "ui/tools/aboutfrm.h"

namespace kestrum {

namespace {

// Tool windows are top-level windows owned by the main window, so they close with it.
template <typename Window, typename... Args>
Window* ShowOrRaise(QPointer<Window>& window, Mainfrm& main, Args&&... args) {
    if (window == nullptr) {
        window = new Window(std::forward<Args>(args)..., &main);
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace

ToolWindows::ToolWindows(Mainfrm& main) : QObject(&main), main_(main) {
    connect(&main_, &Mainfrm::AboutRequested, this, &ToolWindows::ShowAbout);
}

void ToolWindows::ShowAbout() {
    ShowOrRaise(about_, main_, main_.State().VersionText);
}

}  // namespace kestrum
