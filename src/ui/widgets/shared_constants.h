#pragma once
// What several windows show alike.

#include <array>
#include <string_view>

namespace kestrum::shared_ui {

inline constexpr std::array<std::string_view, 3> kDisplayModes{"Ascii", "Hex", "Decimal"};
// Text size of the windows' controls at their design geometry.
inline constexpr int kClientFontPixels = 11;

}  // namespace kestrum::shared_ui
