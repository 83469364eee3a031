#include "platform/transmit.h"

#include "support/memory_serial_port.h"

#include <gtest/gtest.h>

namespace kestrum {
namespace {

using Operation = MemorySerialPort::Operation;

class TransmitStringTest : public ::testing::Test {
protected:
    void SetUp() override { port_.SetPortOpen(true); }
    MemorySerialPort port_;
};

TEST_F(TransmitStringTest, WritesOneBytePerOutputCallInOrder) {
    struct Case {
        const char* reason;
        const char* text;
        DisplayMode mode;
        std::string bytes;
    };
    const Case cases[] = {
        {"caret pairs become control bytes", "AB^M^J", DisplayMode::Ascii, "AB\r\n"},
        {"Hex tokens", "41 4", DisplayMode::Hex, "A\x04"},
        {"a Decimal token above 255 sends nothing, the rest still goes", "256 001",
         DisplayMode::Decimal, "\x01"},
        {"byte 0 is a byte like any other", "00 FF ", DisplayMode::Hex, std::string("\0\xFF", 2)},
        {"an empty string sends nothing", "", DisplayMode::Ascii, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        port_.ClearRecords();
        const TransmitResult result = TransmitString(c.text, c.mode, port_);
        EXPECT_EQ(port_.Written(), c.bytes);
        EXPECT_EQ(port_.OutputCalls(), static_cast<int>(c.bytes.size()));
        for (const std::string& write : port_.Writes()) {
            EXPECT_EQ(write.size(), 1u);
        }
        EXPECT_EQ(result.written, static_cast<int>(c.bytes.size()));
        EXPECT_EQ(result.refused, 0);
    }
}

TEST_F(TransmitStringTest, RefusedWriteLosesOnlyThatByte) {
    const std::string bytes = EncodeTransmitBytes("ABC", DisplayMode::Ascii);
    ASSERT_EQ(bytes, "ABC");
    port_.FailNext(Operation::Output, PortErrorKind::Other);  // the first byte is refused
    TransmitResult result = TransmitString("ABC", DisplayMode::Ascii, port_);
    EXPECT_EQ(port_.Written(), "BC");
    EXPECT_EQ(port_.OutputCalls(), 3);
    EXPECT_EQ(result.written, 2);
    EXPECT_EQ(result.refused, 1);

    port_.SetPortOpen(false);  // every write refused: reported, not thrown
    result = TransmitString("xyz", DisplayMode::Ascii, port_);
    EXPECT_EQ(result.written, 0);
    EXPECT_EQ(result.refused, 3);
}

}  // namespace
}  // namespace kestrum
