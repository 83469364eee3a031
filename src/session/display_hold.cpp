#include "session/display_hold.h"

#include <utility>

namespace kestrum {

void DisplayHold::SetHeld(bool on) {
    if (on == held_) {
        return;
    }
    held_ = on;
    if (!held_) {
        Flush();
    }
    emit Changed();
}

bool DisplayHold::Keep(std::string text, bool sent, std::size_t bytes) {
    if (!held_) {
        return false;
    }
    if (keptCharacters_ + text.size() > capacity_) {
        Flush();
    }
    keptCharacters_ += text.size();
    bytesWaiting_ += bytes;
    // Consecutive pieces of one sender join, so a stream of small reads stays one piece.
    if (!kept_.empty() && kept_.back().sent == sent) {
        kept_.back().text += text;
    } else {
        kept_.push_back({std::move(text), sent});
    }
    emit Changed();
    return true;
}

void DisplayHold::Flush() {
    const std::vector<Piece> pieces = std::exchange(kept_, {});
    keptCharacters_ = 0;
    bytesWaiting_ = 0;
    if (!pieces.empty()) {
        emit Show(pieces);
        emit Changed();
    }
}

void DisplayHold::Discard() {
    kept_.clear();
    keptCharacters_ = 0;
    bytesWaiting_ = 0;
    emit Changed();
}

}  // namespace kestrum
