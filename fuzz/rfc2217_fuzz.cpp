// The telnet and COM-PORT-OPTION parser on anything a server may send: the same bytes cut at
// any point give the same data, answers and events as in one read; the output never exceeds
// the input, an endless subnegotiation is given up at its bound, and escaped data comes back
// unchanged with no event.
//
// Input: one control byte (the cut, as a fraction of the length), then what the server sends.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/network/rfc2217.h"

namespace kestrum::fuzz {
namespace {

struct Outcome {
    rfc2217::Received got;
    bool agreed = false;
    bool controlAnswered = false;
    std::optional<std::uint32_t> baud;
    std::optional<std::uint8_t> stopSize;
};

Outcome Run(std::string_view first, std::string_view second) {
    rfc2217::Client client;
    static_cast<void>(client.Start());
    Outcome outcome;
    client.Receive(first, outcome.got);
    const std::optional<std::uint8_t> modem = outcome.got.modemState;
    outcome.got.modemState.reset();
    client.Receive(second, outcome.got);
    if (!outcome.got.modemState) {
        outcome.got.modemState = modem;
    }
    outcome.agreed = client.ComPortAgreed();
    outcome.controlAnswered = client.ControlAnswered();
    outcome.baud = client.SettingsAnswers().baud;
    outcome.stopSize = client.SettingsAnswers().stopSize;
    return outcome;
}

void Check(std::string_view bytes, std::uint8_t control) {
    const Outcome whole = Run(bytes, {});
    const std::size_t cut = bytes.size() * control / 255;
    const Outcome split = Run(bytes.substr(0, cut), bytes.substr(cut));
    const std::string at = "cut at " + std::to_string(cut) + ": ";
    KESTRUM_PROPERTY(split.got.data == whole.got.data,
                     at + GotExpected(split.got.data, whole.got.data));
    KESTRUM_PROPERTY(split.got.reply == whole.got.reply,
                     at + GotExpected(split.got.reply, whole.got.reply));
    KESTRUM_PROPERTY(split.got.lineStates == whole.got.lineStates, at + "line states");
    KESTRUM_PROPERTY(split.got.modemState == whole.got.modemState, at + "modem state");
    KESTRUM_PROPERTY(split.got.overflow == whole.got.overflow, at + "overflow");
    KESTRUM_PROPERTY(split.agreed == whole.agreed &&
                         split.controlAnswered == whole.controlAnswered &&
                         split.baud == whole.baud && split.stopSize == whole.stopSize,
                     at + "answers");
    // Every answer is three bytes for a command of at least three: no reply storm.
    KESTRUM_PROPERTY(whole.got.data.size() + whole.got.reply.size() <= bytes.size(),
                     "output larger than input");

    const std::string escaped = telnet::Escape(bytes);
    telnet::Decoder decoder;
    std::string data;
    std::vector<telnet::Event> events;
    decoder.Feed(escaped, data, events);
    KESTRUM_PROPERTY(data == bytes && events.empty(), "escaped data: " + GotExpected(data, bytes));
}

}  // namespace
}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const Split input = TakeControlByte(data, size);
    Check(input.rest, input.control);
    return 0;
}
