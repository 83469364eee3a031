#include "platform/network/telnet_codec.h"

namespace kestrum::telnet {

void Decoder::Feed(std::string_view bytes, std::string& data, std::vector<Event>& events) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        switch (state_) {
            case State::Data: {
                // Runs of plain data are copied at once: a flood costs no per-byte work here.
                const std::size_t iac = bytes.find(static_cast<char>(kIac), i);
                const std::size_t end = iac == std::string_view::npos ? bytes.size() : iac;
                data.append(bytes.substr(i, end - i));
                i = end;
                if (iac != std::string_view::npos) {
                    state_ = State::Iac;
                }
                break;
            }
            case State::Iac:
                AfterIac(byte, data);
                break;
            case State::Option: {
                static constexpr Event::Kind kKinds[] = {Event::Kind::Will, Event::Kind::Wont,
                                                         Event::Kind::Do, Event::Kind::Dont};
                events.push_back({kKinds[verb_ - kWill], byte, {}});
                state_ = State::Data;
                break;
            }
            case State::Sub:
                if (byte == kIac) {
                    state_ = State::SubIac;
                } else {
                    sub_.push_back(static_cast<char>(byte));
                }
                break;
            case State::SubIac:
                if (byte == kIac) {
                    sub_.push_back(static_cast<char>(kIac));
                    state_ = State::Sub;
                    break;
                }
                // SE ends it; any other command ends it too (a server that forgot its SE) and
                // is then taken as the command it is.
                if (!sub_.empty()) {
                    events.push_back({Event::Kind::Subnegotiation,
                                      static_cast<std::uint8_t>(sub_[0]), sub_.substr(1)});
                }
                sub_.clear();
                state_ = State::Data;
                if (byte != kSe) {
                    AfterIac(byte, data);
                }
                break;
            case State::Broken:
                return;
        }
        if (sub_.size() > kMaxSubnegotiation + 1) {
            sub_.clear();
            sub_.shrink_to_fit();
            state_ = State::Broken;
            events.push_back({Event::Kind::Overflow, 0, {}});
            return;
        }
    }
}

void Decoder::AfterIac(std::uint8_t byte, std::string& data) {
    if (byte == kIac) {
        data.push_back(static_cast<char>(kIac));  // a doubled 0xFF is one data byte
        state_ = State::Data;
        return;
    }
    if (byte >= kWill) {
        verb_ = byte;
        state_ = State::Option;
    } else if (byte == kSb) {
        sub_.clear();
        state_ = State::Sub;
    } else {
        // NOP, Data Mark, Go Ahead and the rest carry nothing a port needs.
        state_ = State::Data;
    }
}

std::string Escape(std::string_view data) {
    std::string out;
    out.reserve(data.size() + data.size() / 64);
    for (const char c : data) {
        out.push_back(c);
        if (static_cast<std::uint8_t>(c) == kIac) {
            out.push_back(c);
        }
    }
    return out;
}

std::string Command(std::uint8_t verb, std::uint8_t option) {
    return {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

std::string Subnegotiation(std::uint8_t option, std::string_view payload) {
    std::string out{static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(option)};
    out += Escape(payload);
    out += static_cast<char>(kIac);
    out += static_cast<char>(kSe);
    return out;
}

}  // namespace kestrum::telnet
