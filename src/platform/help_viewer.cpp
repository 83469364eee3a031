#include "platform/help_viewer.h"

#include <QDir>
#include <QFileInfo>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/prompts.h"
#include "platform/single_instance.h"
#include "storage/regular_file.h"

namespace kestrum {

HelpViewer::HelpViewer(Prompts& prompts, QString helpFolder)
    : prompts_(prompts), helpFolder_(std::move(helpFolder)) {}

HelpViewer::~HelpViewer() {
    delete window_.data();
}

QString HelpViewer::HelpFilePath() const {
    return QDir(helpFolder_).filePath(QString::fromLatin1(kHelpFileName));
}

bool HelpViewer::Show() {
    if (!window_) {
        const QString path = HelpFilePath();
        const QFileInfo file(path);
        // The viewer opens the file blocking: only a regular file may reach it.
        if (!CheckRegularFile(path).Ok() || !file.isReadable()) {
            prompts_.Message(
                QString::fromLatin1(kHelpFileMissingMessage).arg(QDir::toNativeSeparators(path)));
            return false;
        }
        auto* window = new QWidget(nullptr, Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Closing the main window ends the program even while the help is open.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        window->setWindowTitle(QString::fromLatin1(kHelpWindowTitle));
        window->resize(kHelpWindowWidth, kHelpWindowHeight);
        auto* browser = new QTextBrowser(window);
        browser->setOpenExternalLinks(false);
        // The file's name does not say HTML, so the type is given.
        browser->setSource(QUrl::fromLocalFile(file.absoluteFilePath()),
                           QTextDocument::HtmlResource);
        QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), window), &QShortcut::activated,
                         window, &QWidget::close);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        window_ = window;
        browser_ = browser;
    }
    BringToFront(*window_);
    return true;
}

}  // namespace kestrum
