#include <gtest/gtest.h>
#include <QApplication>

// Widget and port tests need an application object and its event loop.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Kestrum");
    QApplication::setApplicationName("KestrumTests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
