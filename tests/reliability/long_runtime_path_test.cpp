// A runtime folder whose path leaves no room for the instance socket (a local socket path holds
// at most 107 bytes): a second start still hands over to the running one.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "platform/single_instance.h"

namespace kestrum {
namespace {

TEST(LongRuntimePath, ASecondStartHandsOverToTheRunningOne) {
    QTemporaryDir base;
    QString runtime = base.path();
    while (runtime.size() < 150) {
        runtime += QStringLiteral("/a-long-runtime-folder");
    }
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(QFile::setPermissions(
        runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QString name = SingleInstance::DefaultServerName();
    qputenv("XDG_RUNTIME_DIR", saved);
    ASSERT_TRUE(name.startsWith(runtime)) << name.toStdString();

    SingleInstance running(name);
    ASSERT_FALSE(running.HandOverToRunning());
    ASSERT_TRUE(running.IsRunningInstance()) << running.ErrorText().toStdString();
    EXPECT_LE(QFile::encodeName(running.ServerName()).size(), 107);
    // The short name lives in a folder only this user may enter.
    const QFileInfo folder(QFileInfo(running.ServerName()).path());
    EXPECT_EQ(folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                      QFileDevice::ExeGroup | QFileDevice::ExeOther),
              QFileDevice::Permissions());

    QSignalSpy activated(&running, &SingleInstance::ActivateRequested);
    SingleInstance second(name);
    EXPECT_TRUE(second.HandOverToRunning()) << second.ErrorText().toStdString();
    EXPECT_FALSE(second.IsRunningInstance());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() == 1; }, 3000));
}

}  // namespace
}  // namespace kestrum
