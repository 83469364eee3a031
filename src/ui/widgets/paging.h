#pragma once
// Forty rows shown in four pages of ten, as the main window's command buttons and the
// editor's rows are.

#include <array>
#include <functional>
#include <optional>

namespace kestrum {

inline constexpr int kRowsPerPage = 10;

struct PageTurn {
    int show;  // first row of the page to show
    int hide;  // first row of the page to hide
};

// `shown(first)` tells whether the page starting at row `first` is shown. Forward turns
// from the first page shown (looking from the first page) to the next one; backward from
// the last page shown (looking from the last) to the one before. nullopt at either end.
inline std::optional<PageTurn> TurnPage(const std::function<bool(int)>& shown, bool forward) {
    static constexpr std::array<int, 3> kForward{1, 11, 21};
    static constexpr std::array<int, 3> kBackward{31, 21, 11};
    for (const int first : forward ? kForward : kBackward) {
        if (shown(first)) {
            return PageTurn{forward ? first + kRowsPerPage : first - kRowsPerPage, first};
        }
    }
    return std::nullopt;
}

}  // namespace kestrum
