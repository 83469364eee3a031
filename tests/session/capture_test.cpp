// Capture log lines give back every byte, whatever the notation.

#include <gtest/gtest.h>

#include <QDateTime>

#include "session/capture.h"

namespace kestrum {
namespace {

TEST(CaptureLog, EveryByteComesBackFromItsLineInEachNotation) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    all += ' ';  // a trailing space is a byte in Ascii, a separator elsewhere
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 3, 7, 123));
    for (const DisplayMode mode : {DisplayMode::Ascii, DisplayMode::Hex, DisplayMode::Decimal}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const std::string line = CaptureLogLine(when, true, all, mode);
        const std::string head = "2026-12-06 14:03:07.123 RX ";
        ASSERT_EQ(line.substr(0, head.size()), head);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << "one line, whatever the bytes";
        if (mode != DisplayMode::Ascii) {
            EXPECT_NE(line[line.size() - 2], ' ') << "no trailing separator";
        }
        const std::string text = line.substr(head.size(), line.size() - head.size() - 1);
        EXPECT_EQ(EncodeTransmitBytes(text, mode), all);
    }
    EXPECT_EQ(CaptureLogLine(when, false, "AT\r", DisplayMode::Hex),
              "2026-12-06 14:03:07.123 TX 41 54 0D\n");
}

}  // namespace
}  // namespace kestrum
