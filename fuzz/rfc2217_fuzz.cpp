// The telnet and COM-PORT-OPTION parser on anything a server may send: the same bytes cut at
// any point give the same data, answers and events as in one read; the output never exceeds
// the input, an endless subnegotiation is given up at its bound, and escaped data comes back
// unchanged with no event.
//
// Two hostile peers on the same bytes. One never reads: it sends them again and again, and
// everything the client answers waits for it; that stays under a bound of its own, far below
// the network port's kMaxUnsentBytes, however often they come. The other contradicts: every
// DO, DONT, WILL and WONT the client sends is answered with its opposite, between the pieces
// of the server's bytes; the exchange ends by itself, each option answered at most
// kMaxOptionChanges times on each side.
//
// Input: one control byte (the cut, as a fraction of the length; the contrarian's piece size),
// then what the server sends.

#include <array>
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

// Client commands per side (0: DO/DONT, his; 1: WILL/WONT, ours) and option in `sent`.
using Counts = std::array<std::array<int, 256>, 2>;

void Count(std::string_view sent, telnet::Decoder& reader, Counts& counts,
           std::vector<telnet::Event>& events) {
    std::string data;
    reader.Feed(sent, data, events);
    for (const telnet::Event& event : events) {
        const bool his =
            event.kind == telnet::Event::Kind::Do || event.kind == telnet::Event::Kind::Dont;
        ++counts[his ? 0 : 1][event.option];
    }
}

void CheckCapped(const Counts& counts, const std::string& who) {
    // Start() asks once for each option it wants; every further command is an answer.
    constexpr int kMost = rfc2217::Client::kMaxOptionChanges + 1;
    for (int side = 0; side < 2; ++side) {
        for (int option = 0; option < 256; ++option) {
            KESTRUM_PROPERTY(counts[side][option] <= kMost,
                             who + ": option " + std::to_string(option) + " answered " +
                                 std::to_string(counts[side][option]) + " times");
        }
    }
}

void NeverReads(std::string_view bytes) {
    constexpr std::size_t kBound =
        2 * 256 * rfc2217::Client::kMaxOptionChanges * 3 + 5 * 3;  // answers and Start()
    rfc2217::Client client;
    std::string unsent = client.Start();
    // Enough repetitions for a command sent once per round to reach the cap.
    for (int round = 0; round < rfc2217::Client::kMaxOptionChanges + 2 && !bytes.empty(); ++round) {
        rfc2217::Received got;
        client.Receive(bytes, got);
        unsent += got.reply;
        KESTRUM_PROPERTY(unsent.size() <= kBound,
                         "never-reading peer: " + std::to_string(unsent.size()) +
                             " bytes wait after round " + std::to_string(round));
    }
    telnet::Decoder reader;
    Counts counts{};
    std::vector<telnet::Event> events;
    Count(unsent, reader, counts, events);
    CheckCapped(counts, "never-reading peer");
}

std::string Contradiction(const std::vector<telnet::Event>& events) {
    std::string said;
    for (const telnet::Event& event : events) {
        switch (event.kind) {
            case telnet::Event::Kind::Do:
                said += telnet::Command(telnet::kWont, event.option);
                break;
            case telnet::Event::Kind::Dont:
                said += telnet::Command(telnet::kWill, event.option);
                break;
            case telnet::Event::Kind::Will:
                said += telnet::Command(telnet::kDont, event.option);
                break;
            case telnet::Event::Kind::Wont:
                said += telnet::Command(telnet::kDo, event.option);
                break;
            default:
                break;
        }
    }
    return said;
}

void Contradicts(std::string_view bytes, std::uint8_t control) {
    const std::size_t piece = 1 + control % 64;
    // Every exchange but the last holds at least one capped answer, or takes a piece of the
    // server's bytes.
    const std::size_t mostExchanges =
        2 * 256 * rfc2217::Client::kMaxOptionChanges + bytes.size() / piece + 3;
    rfc2217::Client client;
    telnet::Decoder reader;
    Counts counts{};
    std::vector<telnet::Event> events;
    std::string toClient;
    std::string fromClient = client.Start();
    std::size_t exchanges = 0;
    while (!fromClient.empty() || !bytes.empty()) {
        KESTRUM_PROPERTY(++exchanges <= mostExchanges, "contrarian peer: the exchange never ends");
        events.clear();
        Count(fromClient, reader, counts, events);
        toClient = Contradiction(events);
        const std::string_view next = bytes.substr(0, piece);
        toClient += next;
        bytes.remove_prefix(next.size());
        rfc2217::Received got;
        client.Receive(toClient, got);
        fromClient = std::move(got.reply);
    }
    CheckCapped(counts, "contrarian peer");
}

}  // namespace
}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const Split input = TakeControlByte(data, size);
    Check(input.rest, input.control);
    NeverReads(input.rest);
    Contradicts(input.rest, input.control);
    return 0;
}
