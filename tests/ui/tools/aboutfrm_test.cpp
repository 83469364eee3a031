#include "ui/tools/aboutfrm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace kestrum {
namespace {

const QString kVersion = QStringLiteral("Version 1.6.8");

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AboutfrmTest, EveryOpeningShowsTheVersionInItsOwnWindowAndClosesOnOkEnterOrEscape) {
    struct Case {
        const char* reason;
        std::function<void(Aboutfrm&)> close;
    };
    const Case cases[] = {
        {"OK clicked", [](Aboutfrm& a) { QTest::mouseClick(a.Command1(), Qt::LeftButton); }},
        {"Enter", [](Aboutfrm& a) { QTest::keyClick(&a, Qt::Key_Return); }},
        {"Escape", [](Aboutfrm& a) { QTest::keyClick(&a, Qt::Key_Escape); }},
    };
    QWidget mainWindow;
    mainWindow.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        QPointer<Aboutfrm> about = new Aboutfrm(kVersion, &mainWindow);
        about->show();
        EXPECT_TRUE(about->isWindow()) << "a parented QWidget must not land inside the main window";
        EXPECT_EQ(about->Label3()->text(), kVersion);
        EXPECT_EQ(about->windowModality(), Qt::NonModal);
        EXPECT_EQ(about->minimumSize(), about->maximumSize()) << "the box is not resizable";
        c.close(*about);
        FlushDeletes();
        EXPECT_TRUE(about.isNull());
        EXPECT_TRUE(mainWindow.isVisible());
    }
}

TEST(AboutfrmTest, OpenBoxDoesNotKeepTheProgramAliveAfterTheMainWindowCloses) {
    QWidget mainWindow;
    mainWindow.show();
    QPointer<Aboutfrm> about = new Aboutfrm(kVersion);
    about->show();

    // The program quits when its last window closes; that is decided in the main loop.
    QTimer closeMain;
    closeMain.setSingleShot(true);
    QObject::connect(&closeMain, &QTimer::timeout, &mainWindow, &QWidget::close);
    closeMain.start(0);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(3000);
    EXPECT_EQ(QApplication::exec(), 0) << "the open About box kept the program running";
    delete about.data();
}

}  // namespace
}  // namespace kestrum
