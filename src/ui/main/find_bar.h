#pragma once
// Find: a small window beside the main window that looks for a string in the Data Monitor's
// text as shown, selects each hit and scrolls to it. "Not found" is said in the window itself,
// never in a message box, so a search repeated with F3 cannot pile up messages.

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "ui/monitor/monitor_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kestrum {

class DataMonitor;

namespace find_ui {

inline constexpr auto kCaption = "Find";
inline constexpr auto kLabel = "Find:";
inline constexpr auto kMatchCase = "Match case";
inline constexpr auto kNext = "Next";
inline constexpr auto kPrevious = "Previous";
inline constexpr auto kNotFound = "Not found";
inline constexpr auto kTipText =
    "Text to find as the Data Monitor shows it (Enter: next, Shift+Enter: previous)";

// A search runs this long at once, then goes on from the event loop, as a display switch does.
inline constexpr std::chrono::milliseconds kFirstSlice{50};
inline constexpr std::chrono::milliseconds kSlice{30};

}  // namespace find_ui

class FindBar final : public QWidget {
    Q_OBJECT
public:
    // A tool window of `parent`, searching `monitor`.
    FindBar(DataMonitor& monitor, QWidget* parent);

    // Shows the window with its text selected, ready to type over.
    void Open();
    // The next hit after the current one (or after the caret), going round the end; the
    // previous one before it. Without text to find the window opens instead.
    void FindNext() { Find(SearchDirection::Forward); }
    void FindPrevious() { Find(SearchDirection::Backward); }

    QLineEdit& Text() { return *text_; }
    QCheckBox& MatchCase() { return *matchCase_; }
    // Empty, or "Not found".
    QString Status() const;
    // Whether a search is still going on from the event loop.
    bool Searching() const { return search_ != nullptr; }

private:
    void Find(SearchDirection direction);
    void ContinueSearch();
    void ShowResult(const std::optional<SearchHit>& hit);

    DataMonitor& monitor_;
    QLineEdit* text_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QLabel* status_ = nullptr;
    // The last hit shown; appends drop the monitor's selection, not where the search stands.
    std::optional<SearchHit> lastHit_;
    std::uint64_t lastGeneration_ = 0;
    // The search under way, the text generation it reads and its direction.
    std::unique_ptr<MonitorSearch> search_;
    std::uint64_t searchGeneration_ = 0;
    SearchDirection searchDirection_ = SearchDirection::Forward;
    QTimer searchTimer_;
};

}  // namespace kestrum
