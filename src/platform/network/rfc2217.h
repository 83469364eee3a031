#pragma once
// The client side of the telnet COM-PORT-OPTION (RFC 2217): which options it takes (BINARY
// and SUPPRESS-GO-AHEAD both ways, COM-PORT-OPTION from its side), the line settings and
// control requests it sends, and what it learns from the server's answers and notifications.
// Pure byte logic over the telnet framing: the network port feeds it what arrives and sends
// what it returns.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network/telnet_codec.h"

namespace kestrum::rfc2217 {

// COM-PORT-OPTION commands, client to server; the server answers with the code plus 100.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kNotifyLineState = 6;
inline constexpr std::uint8_t kNotifyModemState = 7;
inline constexpr std::uint8_t kSetLineStateMask = 10;
inline constexpr std::uint8_t kServerOffset = 100;

// SET-CONTROL values.
inline constexpr std::uint8_t kFlowNone = 1;
inline constexpr std::uint8_t kFlowSoftware = 2;
inline constexpr std::uint8_t kFlowHardware = 3;
inline constexpr std::uint8_t kBreakOn = 5;
inline constexpr std::uint8_t kBreakOff = 6;
inline constexpr std::uint8_t kDtrOn = 8;
inline constexpr std::uint8_t kDtrOff = 9;
inline constexpr std::uint8_t kRtsOn = 11;
inline constexpr std::uint8_t kRtsOff = 12;

// NOTIFY-MODEMSTATE bits.
inline constexpr std::uint8_t kModemCts = 0x10;
inline constexpr std::uint8_t kModemDsr = 0x20;
inline constexpr std::uint8_t kModemRi = 0x40;
inline constexpr std::uint8_t kModemDcd = 0x80;
// NOTIFY-LINESTATE bits.
inline constexpr std::uint8_t kLineParityError = 0x04;
inline constexpr std::uint8_t kLineFramingError = 0x08;
inline constexpr std::uint8_t kLineBreak = 0x10;

// Line settings in the protocol's terms: parity 1 none, 2 odd, 3 even, 4 mark, 5 space;
// stop size 1 one, 2 two.
struct LineSettings {
    std::uint32_t baud = 9600;
    std::uint8_t dataSize = 8;
    std::uint8_t parity = 1;
    std::uint8_t stopSize = 1;
    bool operator==(const LineSettings&) const = default;
};

// The server's answers to the last settings request; a field stays empty until answered.
struct Answers {
    std::optional<std::uint32_t> baud;
    std::optional<std::uint8_t> dataSize;
    std::optional<std::uint8_t> parity;
    std::optional<std::uint8_t> stopSize;
    bool Complete() const { return baud && dataSize && parity && stopSize; }
};

// What one Receive() learned.
struct Received {
    std::string data;                        // the device's bytes
    std::string reply;                       // negotiation answers to send back at once
    std::optional<std::uint8_t> modemState;  // the last NOTIFY-MODEMSTATE
    std::vector<std::uint8_t> lineStates;    // every NOTIFY-LINESTATE, in order
    bool overflow = false;                   // a subnegotiation passed the bound
    // An option the server changed more than kMaxOptionChanges times, said once per option:
    // it stays as it is and is answered no more.
    std::optional<std::uint8_t> stubbornOption;
};

class Client {
public:
    // RFC 1143 assumes an honest peer: one that keeps changing an option (or offering one that
    // is refused) gets this many answers for it, and silence after.
    static constexpr int kMaxOptionChanges = 16;

    // The opening requests: DO and WILL for BINARY and SUPPRESS-GO-AHEAD, WILL COM-PORT-OPTION.
    std::string Start();
    void Receive(std::string_view bytes, Received& out);

    // The server agreed to COM-PORT-OPTION (sent DO).
    bool ComPortAgreed() const { return us_[kComPortIndex] == Q::Yes; }
    // The server refused it, or the negotiation ended without it.
    bool ComPortRefused() const { return us_[kComPortIndex] == Q::No; }

    // SET-BAUDRATE, SET-DATASIZE, SET-PARITY and SET-STOPSIZE, and forgets earlier answers.
    std::string RequestSettings(const LineSettings& settings);
    // SET-CONTROL with one of the values above.
    std::string RequestControl(std::uint8_t value);
    // SET-LINESTATE-MASK: which line states the server notifies (none until asked).
    std::string RequestLineStateMask(std::uint8_t mask);

    const Answers& SettingsAnswers() const { return answers_; }
    // The server has answered a SET-CONTROL: the port has control lines to drive.
    bool ControlAnswered() const { return controlAnswered_; }

private:
    // RFC 1143's states, without the queue bits: requests are sent only once, at Start().
    enum class Q { No, WantYes, Yes };
    static constexpr int kComPortIndex = 2;
    static int IndexOf(std::uint8_t option);
    void Negotiate(const telnet::Event& event, Received& out);
    void ComPortAnswer(std::string_view payload, Received& out);

    telnet::Decoder decoder_;
    std::vector<telnet::Event> events_;
    Q us_[3] = {Q::No, Q::No, Q::No};   // BINARY, SGA, COM-PORT-OPTION on our side
    Q him_[3] = {Q::No, Q::No, Q::No};  // BINARY, SGA on the server's side (COM-PORT unused)
    Answers answers_;
    bool controlAnswered_ = false;
    // Answers given per option, his side and ours.
    std::uint8_t answersGiven_[2][256] = {};
};

}  // namespace kestrum::rfc2217
