#pragma once
// The Help menu's "Kestrum Help": the HTML help file kept beside the executable (or in
// ../share/kestrum once installed), shown in a non-modal browser window.

#include <QPointer>
#include <QString>

class QTextBrowser;
class QWidget;

namespace kestrum {

class Prompts;

inline constexpr auto kHelpFileName = "kestrum.hlp";
inline constexpr auto kHelpWindowTitle = "Kestrum Help";
inline constexpr auto kHelpFileMissingMessage = "Help file not found: %1";  // %1: the path
inline constexpr int kHelpWindowWidth = 760;
inline constexpr int kHelpWindowHeight = 640;

class HelpViewer final {
public:
    // helpFolder: where kestrum.hlp lives; the program passes the executable's folder, or
    // ../share/kestrum beside it once installed (DataFolderFor).
    HelpViewer(Prompts& prompts, QString helpFolder);
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // Opens the viewer on the help file, or raises the viewer already open. A missing
    // file is reported through Prompts and nothing opens; returns whether a viewer shows.
    bool Show();

    QString HelpFilePath() const;
    // The open viewer window, or nullptr once the user has closed it.
    QWidget* Window() const { return window_; }
    QTextBrowser* Browser() const { return browser_; }

private:
    Prompts& prompts_;
    QString helpFolder_;
    // The window deletes itself on close; these then read nullptr.
    QPointer<QWidget> window_;
    QPointer<QTextBrowser> browser_;
};

}  // namespace kestrum
