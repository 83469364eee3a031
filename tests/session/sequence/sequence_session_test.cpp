// A sequence run and auto replies sharing one port, on the in-memory port. (The window's side of
// runs and replies: SeqfrmTest, on a pseudo-terminal.)

#include "session/sequence/sequence_session.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "session/app_state.h"
#include "session/port_session.h"
#include "session/traffic_path.h"
#include "storage/settings_store.h"
#include "support/memory_serial_port.h"

namespace kestrum {
namespace {

TEST(SequenceSession, AFailedAutoReplyIsNotTheRunningStepsFailure) {
    QTemporaryDir folder;
    const auto write = [&](const char* name, const char* text) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    SettingsStore settings(folder.filePath("Kestrum.ini"));
    MemorySerialPort port;
    AppState state;
    PortSession session(port, settings);
    TrafficPath traffic(session, state);
    SequenceSession sequences(traffic);
    std::optional<StepVerdict> verdict;
    QObject::connect(&sequences, &SequenceSession::StepDone,
                     [&](const StepVerdict& done) { verdict = done; });

    ASSERT_EQ(sequences.StartAutoReplies(write("replies.ksq", R"([[step]]
send = "x"
[[reply]]
when = "PING"
send = "PONG"
)")),
              std::nullopt);
    ASSERT_EQ(sequences.Load(write("check.ksq", R"(timeout_ms = 2000
[[step]]
send = "AT"
expect = "OK"
)")),
              std::nullopt);
    ASSERT_EQ(sequences.Run(), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.Written() == "AT"; }, 2000));
    port.FailNext(MemorySerialPort::Operation::Output, PortErrorKind::Other);
    port.InjectReceived("PING");
    port.InjectReceived("OK");
    ASSERT_TRUE(QTest::qWaitFor([&] { return verdict.has_value(); }, 3000));
    EXPECT_EQ(verdict->outcome, StepOutcome::Passed) << verdict->detail.toStdString();
}

}  // namespace
}  // namespace kestrum
