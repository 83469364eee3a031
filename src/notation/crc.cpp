#include "notation/crc.h"

#include <cstddef>

namespace kestrum {

namespace {

// Assembled byte by byte, so the order does not depend on the machine; compilers turn each
// into one load.
std::uint32_t LoadLittle(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::uint32_t LoadBig(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

}  // namespace

std::uint32_t Crc::Compute(std::string_view bytes) const {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    const auto& t = tables_;
    std::uint32_t reg = start_;
    // A register narrower than 32 bits is folded into the first bytes of each round just the
    // same: the zero bits above it change nothing.
    if (model_.reflected) {
        for (; left >= 8; left -= 8, p += 8) {
            const std::uint32_t one = LoadLittle(p) ^ reg;
            const std::uint32_t two = LoadLittle(p + 4);
            reg = t[7][one & 0xFFu] ^ t[6][(one >> 8) & 0xFFu] ^ t[5][(one >> 16) & 0xFFu] ^
                  t[4][one >> 24] ^ t[3][two & 0xFFu] ^ t[2][(two >> 8) & 0xFFu] ^
                  t[1][(two >> 16) & 0xFFu] ^ t[0][two >> 24];
        }
        for (; left > 0; --left) {
            reg = t[0][(reg ^ *p++) & 0xFFu] ^ (reg >> 8);
        }
        return reg ^ model_.xorOut;
    }
    for (; left >= 8; left -= 8, p += 8) {
        const std::uint32_t one = LoadBig(p) ^ reg;
        const std::uint32_t two = LoadBig(p + 4);
        reg = t[7][one >> 24] ^ t[6][(one >> 16) & 0xFFu] ^ t[5][(one >> 8) & 0xFFu] ^
              t[4][one & 0xFFu] ^ t[3][two >> 24] ^ t[2][(two >> 16) & 0xFFu] ^
              t[1][(two >> 8) & 0xFFu] ^ t[0][two & 0xFFu];
    }
    for (; left > 0; --left) {
        reg = t[0][(reg >> 24) ^ *p++] ^ (reg << 8);
    }
    return (reg >> (32 - model_.width)) ^ model_.xorOut;
}

}  // namespace kestrum
