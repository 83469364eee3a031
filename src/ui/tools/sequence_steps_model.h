#pragma once
// The sequence window's list of step runs (a repeated step once per run): name, what is sent,
// what is expected, the verdict and its time, coloured by verdict. Rows are computed when
// shown, so a file of 10,000 steps costs one small record per run.

#include <QAbstractTableModel>
#include <QColor>
#include <memory>
#include <optional>
#include <vector>

#include "session/sequence/sequence_engine.h"

namespace kestrum {

namespace steps_ui {

inline constexpr const char* kHeadings[] = {"Step", "Sent", "Expected", "Verdict", "Time"};
inline constexpr auto kPassed = "passed";
inline constexpr auto kFailed = "FAILED";
inline constexpr auto kErrored = "ERROR";
inline constexpr auto kSkipped = "skipped";
inline constexpr auto kRunning = "running";
inline constexpr auto kTime = "%1 ms";
inline constexpr auto kSilence = "silence for %1 ms";
// Row backgrounds by verdict: readable with the default dark text.
inline constexpr QRgb kPassedColour = 0xc8ecc8;
inline constexpr QRgb kFailedColour = 0xf4c0c0;
inline constexpr QRgb kErroredColour = 0xf8d8a0;
inline constexpr QRgb kSkippedColour = 0xdcdcdc;
inline constexpr QRgb kRunningColour = 0xfff4b0;

}  // namespace steps_ui

class SequenceStepsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SentColumn, ExpectedColumn, VerdictColumn, TimeColumn, Columns };

    explicit SequenceStepsModel(QObject* parent = nullptr);

    // Lists the runs of `sequence`, none decided yet.
    void Show(std::shared_ptr<const Sequence> sequence);
    // Forgets the verdicts (a run starts again).
    void ClearVerdicts();
    void SetVerdict(const StepVerdict& verdict);
    // The run in progress, 1-based; 0 for none.
    void SetRunning(int number);

    const SequenceStep* StepOf(int row) const;
    std::optional<StepOutcome> OutcomeOf(int row) const;
    // The background of a verdict's row; invalid while undecided.
    static QColor Colour(std::optional<StepOutcome> outcome, bool running);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        const SequenceStep* step;
        int repetition;
        std::optional<StepVerdict> verdict;
    };
    void ChangedRow(int row);

    std::shared_ptr<const Sequence> sequence_;
    std::vector<Row> rows_;
    int running_ = 0;
};

}  // namespace kestrum
