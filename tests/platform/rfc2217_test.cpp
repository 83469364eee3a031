// The COM-PORT-OPTION client: what it asks for, answers and reads back. (The framing cut
// anywhere between reads is the fuzz target's, the 64 KiB bound the network port test's.)

#include <gtest/gtest.h>

#include "platform/network/rfc2217.h"

namespace kestrum {
namespace {

std::string Iac(std::initializer_list<int> bytes) {
    std::string out;
    for (const int b : bytes) {
        out.push_back(static_cast<char>(b));
    }
    return out;
}

TEST(Rfc2217ClientTest, NegotiatesOnceRefusesUnknownOptionsAndReadsAnswers) {
    rfc2217::Client client;
    EXPECT_EQ(client.Start(),
              Iac({255, 253, 0, 255, 251, 0, 255, 253, 3, 255, 251, 3, 255, 251, 44}));
    rfc2217::Received got;
    // Agreement to what was asked needs no answer; an unknown option is refused, every time it
    // comes, and an option turned off is confirmed once.
    client.Receive(Iac({255, 251, 0,   255, 253, 0,   255, 253, 44,  255, 251, 1,   255, 253,
                        24,  255, 251, 1,   255, 251, 3,   255, 252, 3,   255, 252, 3}),
                   got);
    EXPECT_TRUE(client.ComPortAgreed());
    EXPECT_EQ(got.reply, Iac({255, 254, 1, 255, 252, 24, 255, 254, 1, 255, 254, 3}));

    const std::string request = client.RequestSettings({115200, 7, 3, 2});
    EXPECT_EQ(request, Iac({255, 250, 44,  1,  0, 1, 194, 0,   255, 240, 255, 250, 44, 2,   7,  255,
                            240, 255, 250, 44, 3, 3, 255, 240, 255, 250, 44,  4,   2,  255, 240}));
    EXPECT_EQ(client.RequestControl(rfc2217::kDtrOn), Iac({255, 250, 44, 5, 8, 255, 240}));
    EXPECT_EQ(telnet::Escape("\xFF"
                             "a"),
              "\xFF\xFF"
              "a");
    got = {};
    client.Receive(Iac({255, 250, 44,   101, 0,   1,   194, 0,   255, 240,  255, 250, 44,
                        102, 7,   255,  240, 255, 250, 44,  103, 3,   255,  240, 255, 250,
                        44,  107, 0x30, 255, 240, 255, 250, 44,  106, 0x18, 255, 240}),
                   got);
    EXPECT_FALSE(client.SettingsAnswers().Complete()) << "stop size not answered yet";
    EXPECT_FALSE(client.ControlAnswered());
    EXPECT_EQ(got.modemState, std::optional<std::uint8_t>(0x30));
    EXPECT_EQ(got.lineStates, std::vector<std::uint8_t>{0x18});
    client.Receive(Iac({255, 250, 44, 104, 2, 255, 240, 255, 250, 44, 105, 8, 255, 240}), got);
    EXPECT_EQ(*client.SettingsAnswers().baud, 115200u);
    EXPECT_TRUE(client.SettingsAnswers().Complete());
    EXPECT_TRUE(client.ControlAnswered());
}

}  // namespace
}  // namespace kestrum
