#include <gtest/gtest.h>
#include <QCoreApplication>

// The headless tests run as a program without a window would: a QCoreApplication only.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Kestrum");
    QCoreApplication::setApplicationName("KestrumTests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
