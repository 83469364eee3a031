#pragma once
// What a sequence run reports: one line per step, the closing count, and JUnit XML as CI
// systems read it (one testsuite per device, one testcase per step run, the traffic of each
// step in its system-out).

#include <QDateTime>
#include <QString>
#include <string>
#include <vector>

#include "session/sequence/sequence_engine.h"

namespace kestrum {

namespace report_text {

inline constexpr auto kPassed = "ok (%1 ms)";
inline constexpr auto kFailed = "FAILED: %1";
inline constexpr auto kErrored = "ERROR: %1";
inline constexpr auto kSkipped = "skipped";
// "[2/5] Version ... ok (14 ms)"
inline constexpr auto kStepLine = "[%1/%2] %3 ... %4";
inline constexpr auto kClosing = "%1 passed, %2 failed";
inline constexpr auto kClosingSkipped = ", %1 skipped";
// The traffic of one step is kept up to this many characters, a device's whole run up to
// kSuiteTrafficLimit: a long run against a chatty device keeps the report readable and the
// memory bounded; the capture log keeps everything.
inline constexpr qsizetype kTrafficLimit = 64 << 10;
inline constexpr qsizetype kSuiteTrafficLimit = 16 << 20;
inline constexpr auto kTrafficCut = "... (traffic cut)\n";
inline constexpr auto kJUnitUnwritable = "Error - The report %1 could not be written: %2";

}  // namespace report_text

struct StepRecord {
    StepVerdict verdict;
    QString traffic;       // capture log lines, stamped
    std::string received;  // the first bytes the step received, to show beside its expectation
};

// One device's run: a testsuite.
struct SuiteRecord {
    QString name;  // the sequence's name
    QString device;
    QDateTime started;
    double seconds = 0;
    std::vector<StepRecord> steps;
    QString notices;  // sentences said during the run (reply loops, port notices)
};

struct Counts {
    int passed = 0;
    int failed = 0;
    int errors = 0;
    int skipped = 0;
    Counts& operator+=(const Counts& other);
    bool AllPassed() const { return failed == 0 && errors == 0 && skipped == 0; }
};

Counts CountSuite(const SuiteRecord& suite);

// "[2/5] Version ... ok (14 ms)", "[3/5] Preset 3 ... FAILED: expected ...".
QString StepLine(const StepVerdict& verdict);
// "3 passed, 1 failed" and ", 1 skipped" when any was skipped; errors count as failures.
QString ClosingLine(const Counts& counts);

// Writes the suites to `path` as JUnit XML (atomically). False with `error` set on failure.
bool WriteJUnit(const QString& path, const std::vector<SuiteRecord>& suites, QString* error);

}  // namespace kestrum
