#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "platform/prompts.h"

namespace kestrum {
namespace {

TEST(NameFiltersTest, PipeFiltersBecomeQtNameFilters) {
    struct Case {
        const char* reason;
        const char* filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"*.* lists files without an extension too",
         "All Files (*.*)|*.*|Text Files (*.txt)|*.txt",
         {"All Files (*)", "Text Files (*.txt)"}},
        {"several patterns, no caption (...)", "Pictures|*.png;*.jpg", {"Pictures (*.png *.jpg)"}},
        {"a caption without pattern", "Text Files (*.txt)|*.txt|Orphan", {"Text Files (*.txt)"}},
        {"no filter", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(NameFiltersFromPipeFilter(QString::fromLatin1(c.filter)), c.expected);
    }
}

// Runs `inspect` on the modal dialog once it is showing, inside its event loop.
template <typename Dialog>
void WhenShown(std::function<void(Dialog&)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "the expected dialog is not showing";
            if (QWidget* other = QApplication::activeModalWidget()) {
                other->close();
            }
            return;
        }
        inspect(*dialog);
    });
}

TEST(QtPromptsTest, MessageHasOnlyOkQuestionYesNoCancelBothNoIconAndTheKestrumCaption) {
    QtPrompts prompts;
    bool shown = false;
    WhenShown<QMessageBox>([&shown](QMessageBox& box) {
        shown = true;
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Kestrum"));
        EXPECT_EQ(box.text(), QStringLiteral("Warning: Invalid Port Number"));
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        box.button(QMessageBox::Ok)->click();
    });
    prompts.Message(QStringLiteral("Warning: Invalid Port Number"));
    EXPECT_TRUE(shown);

    // Closing a question is Cancel.
    WhenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Kestrum"));
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(prompts.Ask(QStringLiteral("Save the changes to the command set?")), Answer::No);
    WhenShown<QMessageBox>([](QMessageBox& box) { box.reject(); });
    EXPECT_EQ(prompts.Ask(QStringLiteral("Save the changes to the command set?")), Answer::Cancel);
}

TEST(QtPromptsTest, FileDialogsPreselectTheFilterAndStartFolderAndCancelGivesNothing) {
    QTemporaryDir directory;
    QtPrompts prompts;
    FileDialogRequest request;
    request.filter = QStringLiteral("All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
    request.filterIndex = 2;
    request.directory = directory.path();
    WhenShown<QFileDialog>([&directory](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters(), QStringList({QStringLiteral("All Files (*)"),
                                                     QStringLiteral("Text Files (*.txt)")}));
        EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Text Files (*.txt)"));
        EXPECT_EQ(dialog.directory().absolutePath(), directory.path());
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        dialog.reject();
    });
    EXPECT_EQ(prompts.SaveFile(request), std::nullopt);

    // Accepted with a preset name: the full path comes back, existing or not.
    request.fileName = QStringLiteral("monitor.txt");
    WhenShown<QFileDialog>([](QFileDialog& dialog) { static_cast<QDialog&>(dialog).accept(); });
    EXPECT_EQ(prompts.SaveFile(request), directory.filePath(QStringLiteral("monitor.txt")));
    // A name typed without an extension gets the chosen filter's, as Open then lists it.
    request.fileName = QStringLiteral("modem");
    WhenShown<QFileDialog>([](QFileDialog& dialog) { static_cast<QDialog&>(dialog).accept(); });
    EXPECT_EQ(prompts.SaveFile(request), directory.filePath(QStringLiteral("modem.txt")));
    EXPECT_EQ(WithFilterExtension("/a/modem", "All Files (*)"), "/a/modem");
    EXPECT_EQ(WithFilterExtension("/a.b/modem", "Command Files (*.cmd)"), "/a.b/modem.cmd");
    EXPECT_EQ(WithFilterExtension("/a/modem.old", "Command Files (*.cmd)"), "/a/modem.old");

    // A start location naming a file starts in that file's folder.
    request.directory = directory.filePath(QStringLiteral("monitor.txt"));
    WhenShown<QFileDialog>([&directory](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Text Files (*.txt)"));
        EXPECT_EQ(dialog.directory().absolutePath(), directory.path());
        dialog.reject();
    });
    EXPECT_EQ(prompts.OpenFile(request), std::nullopt);
}

TEST(QtPromptsTest, PrintDialogPreselectsTheSelectionWhenThereIsOne) {
    QtPrompts prompts;
    WhenShown<QPrintDialog>([](QPrintDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QAbstractPrintDialog::PrintSelection));
        EXPECT_TRUE(dialog.testOption(QAbstractPrintDialog::PrintToFile));
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_EQ(dialog.printer()->printRange(), QPrinter::Selection);
        dialog.reject();
    });
    EXPECT_FALSE(prompts.Print(true).has_value());

    QTemporaryDir directory;
    const QString pdf = directory.filePath(QStringLiteral("out.pdf"));
    WhenShown<QPrintDialog>([&pdf](QPrintDialog& dialog) {
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintSelection));
        EXPECT_EQ(dialog.printer()->printRange(), QPrinter::AllPages);
        dialog.printer()->setOutputFileName(pdf);
        dialog.accept();
    });
    const std::optional<PrintChoice> choice = prompts.Print(false);
    ASSERT_TRUE(choice.has_value());
    ASSERT_NE(choice->printer, nullptr);
    EXPECT_FALSE(choice->selectionOnly);
}

}  // namespace
}  // namespace kestrum
