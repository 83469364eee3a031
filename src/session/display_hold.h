#pragma once
// Hold Display: while held, traffic is still read, counted and captured, but its text is kept
// aside instead of shown, so that the user can read, select and find in a still monitor.
// Releasing hands everything kept, in order, to the monitor.

#include <QObject>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrum {

class DisplayHold final : public QObject {
    Q_OBJECT
public:
    // One piece of monitor text and who sent it (its colour).
    struct Piece {
        std::string text;
        bool sent = false;
    };

    // `capacity`: the monitor's, in characters. Text kept aside never exceeds it: a piece that
    // would pass it first hands what is kept to the monitor, whose own rule then applies.
    explicit DisplayHold(std::size_t capacity, QObject* parent = nullptr)
        : QObject(parent), capacity_(capacity) {}

    bool Held() const { return held_; }
    // Releasing hands everything kept to Show.
    void SetHeld(bool on);
    // Keeps `text` (from `bytes` bytes of traffic) aside when held; false: show it now.
    bool Keep(std::string text, bool sent, std::size_t bytes);
    // Hands everything kept to Show and goes on holding (before the monitor is rewritten).
    void Flush();
    // Forgets what is kept (Clear Data).
    void Discard();
    std::uint64_t BytesWaiting() const { return bytesWaiting_; }

signals:
    void Show(const std::vector<Piece>& pieces);
    // Held() or BytesWaiting() changed.
    void Changed();

private:
    std::size_t capacity_;
    bool held_ = false;
    std::vector<Piece> kept_;
    std::size_t keptCharacters_ = 0;
    std::uint64_t bytesWaiting_ = 0;
};

}  // namespace kestrum
