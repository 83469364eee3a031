#include "platform/transmit.h"

#include "support/memory_serial_port.h"

#include <gtest/gtest.h>

namespace kestrum {
namespace {

// The encoding is EncodeTransmitBytes' (tested with it); TransmitString adds the writing.
TEST(TransmitString, WritesOneBytePerOutputCallAndARefusalLosesOnlyThatByte) {
    MemorySerialPort port;
    port.Open();
    TransmitResult result = TransmitString("00 FF 41 ", DisplayMode::Hex, port);
    EXPECT_EQ(port.Written(), std::string("\0\xFF"
                                          "A",
                                          3));
    EXPECT_EQ(port.OutputCalls(), 3);
    EXPECT_EQ(result.written, 3);
    EXPECT_EQ(result.refused, 0);

    port.ClearRecords();
    port.FailNext(MemorySerialPort::Operation::Output, PortErrorKind::Other);  // the first byte
    result = TransmitString("ABC", DisplayMode::Ascii, port);
    EXPECT_EQ(port.Written(), "BC");
    EXPECT_EQ(port.OutputCalls(), 3);
    EXPECT_EQ(result.written, 2);
    EXPECT_EQ(result.refused, 1);

    port.Close();  // every write refused: reported, not thrown
    result = TransmitString("xyz", DisplayMode::Ascii, port);
    EXPECT_EQ(result.written, 0);
    EXPECT_EQ(result.refused, 3);
}

}  // namespace
}  // namespace kestrum
