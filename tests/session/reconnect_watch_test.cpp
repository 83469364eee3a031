// The watch for a lost device, one look at a time: it opens only a device that is there,
// says a refusal once per reason while it keeps watching, and stops once the port is open.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "session/port_constants.h"
#include "session/reconnect_watch.h"
#include "support/memory_serial_port.h"

namespace kestrum {
namespace {

TEST(ReconnectWatchTest, RefusalsAreToldOncePerReasonAndTheWatchGoesOnUntilItOpens) {
    MemorySerialPort port;
    port.SetDevicePresent(false);
    ReconnectWatch watch(port);
    QSignalSpy problems(&watch, &ReconnectWatch::ProblemChanged);
    QSignalSpy reopened(&watch, &ReconnectWatch::Reopened);
    watch.Start();

    watch.Look();
    EXPECT_TRUE(port.History().empty()) << "no open is tried while the device is away";

    port.SetDevicePresent(true);
    port.SetOpenFailure(1, PortErrorKind::PortInUse);
    for (int i = 0; i < 3; ++i) {
        watch.Look();
    }
    ASSERT_EQ(problems.count(), 1) << "busy in another program: said once";
    EXPECT_EQ(watch.Problem(), port_text::kMsgPortInUse);
    EXPECT_TRUE(watch.Watching());

    port.SetOpenFailure(1, std::nullopt);
    watch.Look();
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(reopened.count(), 1);
    EXPECT_FALSE(watch.Watching());
    EXPECT_TRUE(watch.Problem().isEmpty());
}

}  // namespace
}  // namespace kestrum
