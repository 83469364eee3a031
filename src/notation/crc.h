#pragma once
// Table-driven CRCs of width 8, 16 or 32, described by the usual model parameters (width,
// polynomial, initial value, reflection, final xor). The tables are built at compile time.

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrum {

struct CrcModel {
    int width = 8;  // 8, 16 or 32
    std::uint32_t poly = 0;
    std::uint32_t init = 0;
    bool reflected = false;  // input and output reflected together
    std::uint32_t xorOut = 0;
};

class Crc {
public:
    explicit constexpr Crc(const CrcModel& model) : model_(model) { BuildTables(); }

    // The CRC over `bytes` (one char = one byte), after the final xor.
    // Example: the CRC-32 model over "123456789" gives 0xCBF43926. Cost: linear, eight bytes
    // per round.
    std::uint32_t Compute(std::string_view bytes) const;

    const CrcModel& Model() const { return model_; }

private:
    // Reflected models keep the register in its low `width` bits and shift right; the others
    // keep it in the high bits of 32 and shift left, so that one pair of loops serves every
    // width. Table k holds the effect of a byte followed by k zero bytes (slicing by eight).
    constexpr void BuildTables() {
        const int shift = 32 - model_.width;
        const std::uint32_t poly =
            model_.reflected ? Reflect(model_.poly, model_.width) : model_.poly << shift;
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = model_.reflected ? i : i << 24;
            for (int bit = 0; bit < 8; ++bit) {
                if (model_.reflected) {
                    c = (c & 1u) != 0 ? (c >> 1) ^ poly : c >> 1;
                } else {
                    c = (c & 0x80000000u) != 0 ? (c << 1) ^ poly : c << 1;
                }
            }
            tables_[0][i] = c;
        }
        for (std::size_t k = 1; k < tables_.size(); ++k) {
            for (std::size_t i = 0; i < 256; ++i) {
                const std::uint32_t c = tables_[k - 1][i];
                tables_[k][i] = model_.reflected ? (c >> 8) ^ tables_[0][c & 0xFFu]
                                                 : (c << 8) ^ tables_[0][c >> 24];
            }
        }
        start_ = model_.reflected ? Reflect(model_.init, model_.width) : model_.init << shift;
    }

    static constexpr std::uint32_t Reflect(std::uint32_t value, int bits) {
        std::uint32_t result = 0;
        for (int i = 0; i < bits; ++i) {
            result = (result << 1) | ((value >> i) & 1u);
        }
        return result;
    }

    CrcModel model_;
    std::uint32_t start_ = 0;
    std::array<std::array<std::uint32_t, 256>, 8> tables_{};
};

}  // namespace kestrum
