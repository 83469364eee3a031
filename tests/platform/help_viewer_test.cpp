#include "platform/help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>  // for ScriptedPrompts
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>

#include "support/scripted_prompts.h"

namespace kestrum {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(HelpViewerTest, MissingFileIsReportedThenOneNonModalViewerOpensAndReopensAfterClose) {
    QTemporaryDir folder;
    ScriptedPrompts prompts;  // fails the test on any dialog
    HelpViewer viewer(prompts, folder.path());
    EXPECT_FALSE(viewer.Show());
    EXPECT_EQ(prompts.Messages(),
              std::vector<QString>{QStringLiteral("Help file not found: ") +
                                   QDir::toNativeSeparators(folder.filePath("kestrum.hlp"))});
    EXPECT_EQ(viewer.Window(), nullptr);

    // The name does not say HTML: the markup must still be rendered, not shown.
    WriteFile(folder.filePath(QStringLiteral("kestrum.hlp")),
              "<html><body><h1>Kestrum Help</h1><p>Ports &amp; notations</p></body></html>");
    ASSERT_TRUE(viewer.Show());
    QWidget* first = viewer.Window();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isWindow());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowModality(), Qt::NonModal);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Kestrum Help"));
    const QString text = viewer.Browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Ports & notations"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("<p>"))) << "HTML shown as plain text";

    // A second request while open raises the same viewer, even when minimised.
    first->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(viewer.Show());
    EXPECT_EQ(viewer.Window(), first);
    EXPECT_FALSE(first->isMinimized());

    // Escape closes it, which frees the viewer; the next request builds a fresh one.
    QApplication::setActiveWindow(first);
    ASSERT_TRUE(QTest::qWaitForWindowActive(first));
    QTest::keyClick(viewer.Browser(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(viewer.Window(), nullptr);
    ASSERT_TRUE(viewer.Show());
    EXPECT_NE(viewer.Window(), nullptr);
    EXPECT_EQ(prompts.Messages().size(), 1u);
}

TEST(HelpViewerTest, OpenViewerDoesNotKeepTheProgramAliveAfterTheMainWindowCloses) {
    QTemporaryDir folder;
    WriteFile(folder.filePath(QStringLiteral("kestrum.hlp")), "<p>help</p>");
    ScriptedPrompts prompts;
    HelpViewer viewer(prompts, folder.path());
    QWidget mainWindow;
    mainWindow.show();
    ASSERT_TRUE(viewer.Show());

    // The program quits when its last window closes; that is decided in the main loop.
    QTimer::singleShot(0, &mainWindow, &QWidget::close);
    QTimer::singleShot(3000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0) << "the open help window kept the program running";
}

// Every in-page link must land somewhere, and the facts a user looks up must be there
// in the exact words the program shows.
TEST(HelpViewerTest, ShippedHelpPageLinksResolveAndNamesWhatTheProgramShows) {
    ScriptedPrompts prompts;
    // The shipped file, found from this test's own source location.
    HelpViewer viewer(prompts,
                      QFileInfo(QStringLiteral(__FILE__)).dir().filePath("../../resources"));
    ASSERT_TRUE(viewer.Show()) << viewer.HelpFilePath().toStdString();
    QTextDocument* document = viewer.Browser()->document();

    QSet<QString> anchors;
    QSet<QString> links;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            for (const QString& name : format.anchorNames()) {
                anchors.insert(name);
            }
            const QString href = format.anchorHref();
            if (href.startsWith(QLatin1Char('#'))) {
                links.insert(href.mid(1));
            }
        }
    }
    EXPECT_GE(links.size(), 17);
    for (const QString& link : links) {
        EXPECT_TRUE(anchors.contains(link)) << "dangling link #" << link.toStdString();
    }

    // Non-breaking spaces keep the checksum labels' double spaces visible.
    QString text = document->toRawText();
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    // One phrase per kind of fact: a checksum label with its double space, a caption, a key,
    // a notation example, a file, a message.
    const char* const mustName[] = {"CRC-16/MODBUS  (low byte first)",
                                    "Send Text File",
                                    "F1",
                                    "065 066 013 ",
                                    "~/.config/Kestrum/Kestrum.ini",
                                    "Warning: Invalid Port Number"};
    for (const char* phrase : mustName) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << "missing: " << phrase;
    }
    EXPECT_FALSE(text.contains(QStringLiteral("<h"))) << "markup shown as text";
}

}  // namespace
}  // namespace kestrum
