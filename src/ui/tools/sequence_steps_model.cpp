#include "ui/tools/sequence_steps_model.h"

#include <QBrush>

namespace kestrum {

using namespace steps_ui;

SequenceStepsModel::SequenceStepsModel(QObject* parent) : QAbstractTableModel(parent) {}

void SequenceStepsModel::Show(std::shared_ptr<const Sequence> sequence) {
    beginResetModel();
    sequence_ = std::move(sequence);
    rows_.clear();
    running_ = 0;
    if (sequence_ != nullptr) {
        for (const SequenceStep& step : sequence_->steps) {
            for (int i = 0; i < step.repeat; ++i) {
                rows_.push_back({&step, step.repeat > 1 ? i + 1 : 0, std::nullopt});
            }
        }
    }
    endResetModel();
}

void SequenceStepsModel::ClearVerdicts() {
    for (Row& row : rows_) {
        row.verdict.reset();
    }
    running_ = 0;
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, Columns - 1));
    }
}

void SequenceStepsModel::SetVerdict(const StepVerdict& verdict) {
    const int row = verdict.number - 1;
    if (row < 0 || row >= rowCount()) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].verdict = verdict;
    ChangedRow(row);
}

void SequenceStepsModel::SetRunning(int number) {
    if (number == running_) {
        return;
    }
    const int before = running_;
    running_ = number;
    ChangedRow(before - 1);
    ChangedRow(number - 1);
}

void SequenceStepsModel::ChangedRow(int row) {
    if (row >= 0 && row < rowCount()) {
        emit dataChanged(index(row, 0), index(row, Columns - 1));
    }
}

const SequenceStep* SequenceStepsModel::StepOf(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].step : nullptr;
}

std::optional<StepOutcome> SequenceStepsModel::OutcomeOf(int row) const {
    if (row < 0 || row >= rowCount() || !rows_[static_cast<std::size_t>(row)].verdict) {
        return std::nullopt;
    }
    return rows_[static_cast<std::size_t>(row)].verdict->outcome;
}

QColor SequenceStepsModel::Colour(std::optional<StepOutcome> outcome, bool running) {
    if (!outcome) {
        return running ? QColor(kRunningColour) : QColor();
    }
    switch (*outcome) {
        case StepOutcome::Passed:
            return QColor(kPassedColour);
        case StepOutcome::Failed:
            return QColor(kFailedColour);
        case StepOutcome::Errored:
            return QColor(kErroredColour);
        case StepOutcome::Skipped:
            return QColor(kSkippedColour);
    }
    return {};
}

int SequenceStepsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SequenceStepsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant SequenceStepsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const bool running = index.row() + 1 == running_;
    if (role == Qt::BackgroundRole) {
        const QColor colour =
            Colour(row.verdict ? std::optional(row.verdict->outcome) : std::nullopt, running);
        return colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
    }
    if (role == Qt::ToolTipRole && row.verdict && !row.verdict->detail.isEmpty()) {
        return row.verdict->detail;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const SequenceStep& step = *row.step;
    switch (index.column()) {
        case NameColumn:
            return row.repetition == 0
                       ? step.name
                       : QStringLiteral("%1 #%2").arg(step.name).arg(row.repetition);
        case SentColumn:
            return WrittenBytes(step.send, sequence_->notation);
        case ExpectedColumn:
            switch (step.expect.kind) {
                case Expectation::Kind::None:
                    return QString();
                case Expectation::Kind::Bytes:
                    return step.expect.written;
                case Expectation::Kind::Regex:
                    return QLatin1Char('/') + step.expect.written + QLatin1Char('/');
                case Expectation::Kind::Silence:
                    return QString::fromLatin1(kSilence).arg(step.expect.silence.count());
            }
            return QString();
        case VerdictColumn:
            if (!row.verdict) {
                return running ? QString::fromLatin1(kRunning) : QString();
            }
            switch (row.verdict->outcome) {
                case StepOutcome::Passed:
                    return QString::fromLatin1(kPassed);
                case StepOutcome::Failed:
                    return QString::fromLatin1(kFailed);
                case StepOutcome::Errored:
                    return QString::fromLatin1(kErrored);
                case StepOutcome::Skipped:
                    return QString::fromLatin1(kSkipped);
            }
            return QString();
        case TimeColumn:
            return row.verdict && row.verdict->outcome != StepOutcome::Skipped
                       ? QString::fromLatin1(kTime).arg(row.verdict->elapsed.count())
                       : QString();
        default:
            return {};
    }
}

QVariant SequenceStepsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    return section >= 0 && section < Columns ? QString::fromLatin1(kHeadings[section]) : QVariant();
}

}  // namespace kestrum
