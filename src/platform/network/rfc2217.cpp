#include "platform/network/rfc2217.h"

namespace kestrum::rfc2217 {
namespace {

using telnet::Event;

std::string ComPortCommand(std::uint8_t code, std::string_view value) {
    std::string payload(1, static_cast<char>(code));
    payload += value;
    return telnet::Subnegotiation(telnet::kOptionComPort, payload);
}

std::uint8_t Byte(std::string_view text, std::size_t i) {
    return static_cast<std::uint8_t>(text[i]);
}

}  // namespace

int Client::IndexOf(std::uint8_t option) {
    switch (option) {
        case telnet::kOptionBinary:
            return 0;
        case telnet::kOptionSuppressGoAhead:
            return 1;
        case telnet::kOptionComPort:
            return kComPortIndex;
        default:
            return -1;
    }
}

std::string Client::Start() {
    for (int i = 0; i < 3; ++i) {
        us_[i] = Q::WantYes;
    }
    him_[0] = him_[1] = Q::WantYes;
    return telnet::Command(telnet::kDo, telnet::kOptionBinary) +
           telnet::Command(telnet::kWill, telnet::kOptionBinary) +
           telnet::Command(telnet::kDo, telnet::kOptionSuppressGoAhead) +
           telnet::Command(telnet::kWill, telnet::kOptionSuppressGoAhead) +
           telnet::Command(telnet::kWill, telnet::kOptionComPort);
}

void Client::Receive(std::string_view bytes, Received& out) {
    events_.clear();
    decoder_.Feed(bytes, out.data, events_);
    for (const Event& event : events_) {
        if (event.kind == Event::Kind::Overflow) {
            out.overflow = true;
        } else if (event.kind == Event::Kind::Subnegotiation) {
            if (event.option == telnet::kOptionComPort) {
                ComPortAnswer(event.payload, out);
            }
        } else {
            Negotiate(event, out);
        }
    }
}

// RFC 1143 without the queue: an option is answered only when its state changes, so two
// parties that disagree settle after one exchange, and an option nobody here knows is
// refused. The server's COM-PORT-OPTION side is not wanted (only the client offers it).
void Client::Negotiate(const Event& event, Received& out) {
    const int index = IndexOf(event.option);
    const bool onHisSide = event.kind == Event::Kind::Will || event.kind == Event::Kind::Wont;
    const bool wanted = index >= 0 && (!onHisSide || index != kComPortIndex);
    const bool enable = event.kind == Event::Kind::Will || event.kind == Event::Kind::Do;
    const std::uint8_t yes = onHisSide ? telnet::kDo : telnet::kWill;
    const std::uint8_t no = onHisSide ? telnet::kDont : telnet::kWont;
    std::uint8_t& given = answersGiven_[onHisSide ? 0 : 1][event.option];
    // Whether this event needs an answer, and with it a change; past the cap it gets neither.
    const auto answer = [&](std::uint8_t verb) {
        if (given > kMaxOptionChanges) {
            return false;
        }
        if (++given > kMaxOptionChanges) {
            out.stubbornOption = event.option;
            return false;
        }
        out.reply += telnet::Command(verb, event.option);
        return true;
    };
    if (!wanted) {
        if (enable) {
            answer(no);
        }
        return;
    }
    Q& state = onHisSide ? him_[index] : us_[index];
    if (enable && state == Q::No) {
        if (answer(yes)) {
            state = Q::Yes;
        }
    } else if (enable) {
        state = Q::Yes;
    } else if (state == Q::Yes) {
        if (answer(no)) {
            state = Q::No;
        }
    } else {
        state = Q::No;
    }
}

void Client::ComPortAnswer(std::string_view payload, Received& out) {
    if (payload.empty()) {
        return;
    }
    const std::string_view value = payload.substr(1);
    switch (Byte(payload, 0)) {
        case kServerOffset + kSetBaudRate:
            if (value.size() == 4) {
                answers_.baud = std::uint32_t{Byte(value, 0)} << 24 |
                                std::uint32_t{Byte(value, 1)} << 16 |
                                std::uint32_t{Byte(value, 2)} << 8 | std::uint32_t{Byte(value, 3)};
            }
            break;
        case kServerOffset + kSetDataSize:
            if (value.size() == 1) {
                answers_.dataSize = Byte(value, 0);
            }
            break;
        case kServerOffset + kSetParity:
            if (value.size() == 1) {
                answers_.parity = Byte(value, 0);
            }
            break;
        case kServerOffset + kSetStopSize:
            if (value.size() == 1) {
                answers_.stopSize = Byte(value, 0);
            }
            break;
        case kServerOffset + kSetControl:
            controlAnswered_ = true;
            break;
        case kServerOffset + kNotifyLineState:
            if (value.size() == 1) {
                out.lineStates.push_back(Byte(value, 0));
            }
            break;
        case kServerOffset + kNotifyModemState:
            if (value.size() == 1) {
                out.modemState = Byte(value, 0);
            }
            break;
        default:
            break;  // a signature, a purge or flow suspension: nothing a port shows
    }
}

std::string Client::RequestSettings(const LineSettings& settings) {
    answers_ = {};
    const std::uint32_t b = settings.baud;
    const char baud[4] = {static_cast<char>(b >> 24), static_cast<char>(b >> 16),
                          static_cast<char>(b >> 8), static_cast<char>(b)};
    return ComPortCommand(kSetBaudRate, std::string_view(baud, 4)) +
           ComPortCommand(kSetDataSize, std::string(1, static_cast<char>(settings.dataSize))) +
           ComPortCommand(kSetParity, std::string(1, static_cast<char>(settings.parity))) +
           ComPortCommand(kSetStopSize, std::string(1, static_cast<char>(settings.stopSize)));
}

std::string Client::RequestControl(std::uint8_t value) {
    return ComPortCommand(kSetControl, std::string(1, static_cast<char>(value)));
}

std::string Client::RequestLineStateMask(std::uint8_t mask) {
    return ComPortCommand(kSetLineStateMask, std::string(1, static_cast<char>(mask)));
}

}  // namespace kestrum::rfc2217
