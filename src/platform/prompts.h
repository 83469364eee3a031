#pragma once
// Every modal interaction of the program goes through Prompts, so tests can answer it.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace kestrum {

inline constexpr auto kMessageCaption = "Kestrum";

// A file dialog request, in the program's own filter notation:
// "All Files (*.*)|*.*|Command Files (*.cmd)|*.cmd", entries paired as caption|pattern.
struct FileDialogRequest {
    QString filter;
    int filterIndex = 1;  // 1-based entry preselected in `filter`
    QString directory;    // start location (a folder, or a file whose folder is used)
    QString fileName;     // preset name; may be empty
};

// What the print dialog returned: the printer to print on, and whether the user
// chose to print only the selection.
struct PrintChoice {
    std::unique_ptr<QPrinter> printer;
    bool selectionOnly = false;
};

// The answer to a Yes / No / Cancel question.
enum class Answer { Yes, No, Cancel };

// A long operation's progress window with a Cancel button.
class Progress {
public:
    virtual ~Progress() = default;
    // Shows that `done` of the maximum are done. False once the user has cancelled.
    virtual bool Advance(int done) = 0;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // Modal message: OK button only, no icon, caption "Kestrum".
    virtual void Message(const QString& text) = 0;
    // Modal question with Yes, No and Cancel buttons, no icon, caption "Kestrum". Closing
    // the box (Escape, its close box) is Cancel.
    virtual Answer Ask(const QString& text) = 0;
    // The chosen path, or nullopt when the user cancelled. The file need not exist,
    // and the save dialog does not ask before an existing file is replaced: callers
    // report what they cannot open and replace files as the user chose.
    virtual std::optional<QString> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFile(const FileDialogRequest& request) = 0;
    // hasSelection preselects the dialog's "Selection" option. nullopt on cancel.
    virtual std::optional<PrintChoice> Print(bool hasSelection) = 0;
    // A progress window for an operation of `maximum` steps, which the caller drives (and
    // lets the event loop run meanwhile). nullptr: none is shown and nothing cancels.
    virtual std::unique_ptr<Progress> ShowProgress(const QString& text, int maximum) {
        static_cast<void>(text);
        static_cast<void>(maximum);
        return nullptr;
    }
};

// "Caption (*.a)|*.a;*.b|..." as Qt name filters ("Caption (*.a *.b)"). Where file
// names need no dot (every platform but Windows) "*.*" becomes "*", so that files
// without an extension are listed too. A caption's own "(...)" is replaced by the
// patterns Qt actually uses. A trailing caption without pattern is dropped.
QStringList NameFiltersFromPipeFilter(const QString& filter);

// `path` with the extension of the chosen Qt name filter ("Text Files (*.txt)") appended
// when its file name has none; unchanged when the filter names no single extension.
QString WithFilterExtension(const QString& path, const QString& nameFilter);

// The folder a file dialog starts in: `directory` itself, or its folder when it
// names a file.
QString DialogStartFolder(const QString& directory);

// The real dialogs: QMessageBox, QFileDialog, QPrintDialog.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Message(const QString& text) override;
    Answer Ask(const QString& text) override;
    std::optional<QString> OpenFile(const FileDialogRequest& request) override;
    std::optional<QString> SaveFile(const FileDialogRequest& request) override;
    std::optional<PrintChoice> Print(bool hasSelection) override;
    std::unique_ptr<Progress> ShowProgress(const QString& text, int maximum) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace kestrum
