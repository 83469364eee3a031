#pragma once
// Telnet framing (RFC 854, 855): splits what a server sends into data bytes and negotiation
// events, incrementally (a sequence may be cut anywhere between two reads), and writes data
// and commands the other way. Pure byte logic: no sockets, no Qt.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum::telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

inline constexpr std::uint8_t kOptionBinary = 0;
inline constexpr std::uint8_t kOptionSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptionComPort = 44;

struct Event {
    enum class Kind { Will, Wont, Do, Dont, Subnegotiation, Overflow };
    Kind kind = Kind::Will;
    std::uint8_t option = 0;
    std::string payload;  // Subnegotiation only, IAC doubling undone
    bool operator==(const Event&) const = default;
};

class Decoder {
public:
    // A subnegotiation longer than this is no honest server's: the stream is given up.
    static constexpr std::size_t kMaxSubnegotiation = 64 * 1024;

    // Appends the data bytes in `bytes` to `data` and what was negotiated to `events`. After
    // an Overflow event everything further is ignored.
    void Feed(std::string_view bytes, std::string& data, std::vector<Event>& events);

    bool Overflowed() const { return state_ == State::Broken; }

private:
    enum class State { Data, Iac, Option, Sub, SubIac, Broken };
    void AfterIac(std::uint8_t byte, std::string& data);

    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::string sub_;  // option byte first, then the payload
};

// Data with every 0xFF doubled.
std::string Escape(std::string_view data);
// IAC <verb> <option>.
std::string Command(std::uint8_t verb, std::uint8_t option);
// IAC SB <option> <payload, escaped> IAC SE.
std::string Subnegotiation(std::uint8_t option, std::string_view payload);

}  // namespace kestrum::telnet
