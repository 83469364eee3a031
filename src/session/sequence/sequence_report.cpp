#include "session/sequence/sequence_report.h"

#include <QHostInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace kestrum {

using namespace report_text;

Counts& Counts::operator+=(const Counts& other) {
    passed += other.passed;
    failed += other.failed;
    errors += other.errors;
    skipped += other.skipped;
    return *this;
}

Counts CountSuite(const SuiteRecord& suite) {
    Counts counts;
    for (const StepRecord& step : suite.steps) {
        switch (step.verdict.outcome) {
            case StepOutcome::Passed:
                ++counts.passed;
                break;
            case StepOutcome::Failed:
                ++counts.failed;
                break;
            case StepOutcome::Errored:
                ++counts.errors;
                break;
            case StepOutcome::Skipped:
                ++counts.skipped;
                break;
        }
    }
    return counts;
}

QString StepLine(const StepVerdict& verdict) {
    QString result;
    switch (verdict.outcome) {
        case StepOutcome::Passed:
            result = QString::fromLatin1(kPassed).arg(verdict.elapsed.count());
            break;
        case StepOutcome::Failed:
            result = QString::fromLatin1(kFailed).arg(verdict.detail);
            break;
        case StepOutcome::Errored:
            result = QString::fromLatin1(kErrored).arg(verdict.detail);
            break;
        case StepOutcome::Skipped:
            result = QString::fromLatin1(kSkipped);
            break;
    }
    return QString::fromLatin1(kStepLine)
        .arg(verdict.number)
        .arg(verdict.total)
        .arg(verdict.name, result);
}

QString ClosingLine(const Counts& counts) {
    QString line =
        QString::fromLatin1(kClosing).arg(counts.passed).arg(counts.failed + counts.errors);
    if (counts.skipped > 0) {
        line += QString::fromLatin1(kClosingSkipped).arg(counts.skipped);
    }
    return line;
}

namespace {

QString Seconds(double seconds) {
    return QString::number(seconds, 'f', 3);
}

void WriteCase(QXmlStreamWriter& xml, const SuiteRecord& suite, const StepRecord& step) {
    const StepVerdict& verdict = step.verdict;
    xml.writeStartElement(QStringLiteral("testcase"));
    xml.writeAttribute(QStringLiteral("name"), verdict.name);
    xml.writeAttribute(QStringLiteral("classname"), suite.name);
    xml.writeAttribute(QStringLiteral("time"), Seconds(verdict.elapsed.count() / 1000.0));
    switch (verdict.outcome) {
        case StepOutcome::Passed:
            break;
        case StepOutcome::Failed:
        case StepOutcome::Errored: {
            const bool failed = verdict.outcome == StepOutcome::Failed;
            xml.writeStartElement(failed ? QStringLiteral("failure") : QStringLiteral("error"));
            xml.writeAttribute(QStringLiteral("message"), verdict.detail);
            xml.writeAttribute(QStringLiteral("type"),
                               failed ? QStringLiteral("expectation") : QStringLiteral("port"));
            xml.writeCharacters(verdict.detail);
            xml.writeEndElement();
            break;
        }
        case StepOutcome::Skipped:
            xml.writeEmptyElement(QStringLiteral("skipped"));
            break;
    }
    if (!step.traffic.isEmpty()) {
        xml.writeTextElement(QStringLiteral("system-out"), step.traffic);
    }
    xml.writeEndElement();
}

}  // namespace

bool WriteJUnit(const QString& path, const std::vector<SuiteRecord>& suites, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QString::fromLatin1(kJUnitUnwritable).arg(path, file.errorString());
        return false;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    Counts total;
    double seconds = 0;
    for (const SuiteRecord& suite : suites) {
        total += CountSuite(suite);
        seconds = std::max(seconds, suite.seconds);
    }
    if (!suites.empty()) {
        xml.writeAttribute(QStringLiteral("name"), suites.front().name);
    }
    const auto writeCounts = [&xml](const Counts& counts) {
        xml.writeAttribute(
            QStringLiteral("tests"),
            QString::number(counts.passed + counts.failed + counts.errors + counts.skipped));
        xml.writeAttribute(QStringLiteral("failures"), QString::number(counts.failed));
        xml.writeAttribute(QStringLiteral("errors"), QString::number(counts.errors));
        xml.writeAttribute(QStringLiteral("skipped"), QString::number(counts.skipped));
    };
    writeCounts(total);
    xml.writeAttribute(QStringLiteral("time"), Seconds(seconds));
    const QString host = QHostInfo::localHostName();
    for (const SuiteRecord& suite : suites) {
        xml.writeStartElement(QStringLiteral("testsuite"));
        xml.writeAttribute(QStringLiteral("name"),
                           suite.name + QStringLiteral(" @ ") + suite.device);
        writeCounts(CountSuite(suite));
        xml.writeAttribute(QStringLiteral("time"), Seconds(suite.seconds));
        xml.writeAttribute(QStringLiteral("timestamp"), suite.started.toString(Qt::ISODate));
        xml.writeAttribute(QStringLiteral("hostname"), host);
        for (const StepRecord& step : suite.steps) {
            WriteCase(xml, suite, step);
        }
        if (!suite.notices.isEmpty()) {
            xml.writeTextElement(QStringLiteral("system-err"), suite.notices);
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError() || !file.commit()) {
        *error = QString::fromLatin1(kJUnitUnwritable).arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace kestrum
