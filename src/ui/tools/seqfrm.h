#pragma once
// The sequence window, "Sequence": the steps of the loaded sequence with their verdicts as
// they run, a progress bar, Run / Stop / Run Again and Save Report. The run itself is the
// session's (SequenceSession); this window shows it and passes the user's clicks on.

#include <QWidget>

#include "session/sequence/sequence_session.h"
#include "ui/widgets/tool_context.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTextBrowser;

namespace kestrum {

class ProportionalLayout;
class SequenceStepsModel;

namespace seq_ui {

inline constexpr auto kCaption = "Sequence";
inline constexpr auto kReportFilter = "JUnit XML (*.xml)|*.xml|All Files (*.*)|*.*";
inline constexpr auto kExpected = "Expected:";
inline constexpr auto kArrived = "Arrived:";
inline constexpr auto kArrivedNothing = "nothing";
inline constexpr auto kFirstDifference = "The first differing byte is marked.";
// The first differing byte's mark.
inline constexpr auto kMarkColour = "#ffd000";

// Design size of the window's client area, pixels.
inline constexpr int kDesignWidth = 640;
inline constexpr int kDesignHeight = 460;
inline constexpr int kFontPixels = 11;

}  // namespace seq_ui

class Seqfrm final : public QWidget {
    Q_OBJECT
public:
    Seqfrm(const ToolContext& context, SequenceSession& sequences, QWidget* parent = nullptr);
    ~Seqfrm() override;

    // Lists the session's loaded sequence afresh.
    void ShowSequence();

    // Handlers.
    void RunButton_Click();
    void StopButton_Click();
    void SaveReportButton_Click();
    void CloseButton_Click();
    void Steps_Select(int row);

    QLabel& Label1() { return *label1_; }
    QTableView& Steps() { return *steps_; }
    SequenceStepsModel& StepsModel() { return *model_; }
    QProgressBar& Progress() { return *progress_; }
    QTextBrowser& Detail() { return *detail_; }
    QPushButton& RunButton() { return *runButton_; }
    QPushButton& StopButton() { return *stopButton_; }
    QPushButton& RunAgainButton() { return *runAgainButton_; }
    QPushButton& SaveReportButton() { return *saveReportButton_; }
    QPushButton& CloseButton() { return *closeButton_; }
    ProportionalLayout& Layout() { return *layout_; }

protected:
    // Closing the window stops a run.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void ShowState();
    void ShowVerdict(const StepVerdict& verdict);
    // The expectation and what arrived, in the main window's notation, the first differing
    // byte marked.
    QString DetailHtml(const SequenceStep& step, const StepRecord& record) const;

    ToolContext context_;
    SequenceSession& sequences_;
    SequenceStepsModel* model_ = nullptr;
    QLabel* label1_ = nullptr;
    QTableView* steps_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* label2_ = nullptr;
    QTextBrowser* detail_ = nullptr;
    QPushButton* runButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* runAgainButton_ = nullptr;
    QPushButton* saveReportButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    ProportionalLayout* layout_ = nullptr;
};

}  // namespace kestrum
