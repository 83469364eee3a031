// A long string in an entry field (String to Send, the editor's fields): the idle CPU with the
// field focused and its cursor blinking, the time of one typed key (key filter, automatic
// space, change check and the repaint), and of putting the string in the field, at 10 KB,
// 1 MB and 10 MB. A plain QLineEdit, which the fields were before, is measured beside them.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QTimer>
#include <QWidget>
#include <ctime>
#include <limits>
#include <memory>
#include <string>

#include "platform/prompts.h"
#include "qt_benchmark_main.h"
#include "silent_prompts.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A shown window holding one field of `kind` with a focused string of `length` characters.
struct FieldWindow {
    explicit FieldWindow(bool notationField, qsizetype length) {
        window.resize(600, 60);
        if (notationField) {
            field = new NotationField(
                EntryField::SendBox, entry, [] { return DisplayMode::Ascii; }, prompts, &window);
        } else {
            field = new QLineEdit(&window);
            field->setMaxLength(std::numeric_limits<int>::max());
        }
        field->setGeometry(10, 10, 580, 24);
        const QString text(length, QLatin1Char('A'));
        if (auto* byteField = qobject_cast<ByteField*>(field)) {
            byteField->setText(text);
        } else {
            field->setText(text);
        }
        window.show();
        window.activateWindow();
        field->setFocus();
        QApplication::processEvents();
    }

    SilentPrompts prompts;
    EntryState entry;
    QWidget window;
    QLineEdit* field = nullptr;
};

void IdleCpu(benchmark::State& state, bool notationField) {
    FieldWindow shown(notationField, state.range(0));
    double busy = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        // Two seconds of the event loop waiting: a few cursor blinks.
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        busy += ProcessCpuSeconds() - cpuStart;
        wall += static_cast<double>(clock.elapsed()) / 1000;
    }
    state.counters["idle_cpu_percent"] = 100 * busy / wall;
}

void KeyLatency(benchmark::State& state, bool notationField) {
    FieldWindow shown(notationField, state.range(0));
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("B"));
        QApplication::sendEvent(shown.field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("B"));
        QApplication::sendEvent(shown.field, &release);
        // The repaint is part of what the user waits for.
        shown.field->repaint();
    }
}

void SetText(benchmark::State& state, bool notationField) {
    FieldWindow shown(notationField, 0);
    const QString text(state.range(0), QLatin1Char('C'));
    for (auto _ : state) {
        if (auto* byteField = qobject_cast<ByteField*>(shown.field)) {
            byteField->setText(text);
        } else {
            shown.field->setText(text);
        }
        shown.field->repaint();
        state.PauseTiming();
        shown.field->clear();
        state.ResumeTiming();
    }
}

constexpr int64_t k10KB = 10 * 1000;
constexpr int64_t k1MB = 1000 * 1000;
constexpr int64_t k10MB = 10 * 1000 * 1000;

void BM_NotationFieldIdle(benchmark::State& state) {
    IdleCpu(state, true);
}
void BM_PlainLineEditIdle(benchmark::State& state) {
    IdleCpu(state, false);
}
void BM_NotationFieldKey(benchmark::State& state) {
    KeyLatency(state, true);
}
void BM_PlainLineEditKey(benchmark::State& state) {
    KeyLatency(state, false);
}
void BM_NotationFieldSetText(benchmark::State& state) {
    SetText(state, true);
}
void BM_PlainLineEditSetText(benchmark::State& state) {
    SetText(state, false);
}

BENCHMARK(BM_NotationFieldIdle)->Arg(k10KB)->Arg(k1MB)->Arg(k10MB)->Iterations(1);
BENCHMARK(BM_PlainLineEditIdle)->Arg(k10KB)->Arg(k1MB)->Arg(k10MB)->Iterations(1);
BENCHMARK(BM_NotationFieldKey)->Arg(k10KB)->Arg(k1MB)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLineEditKey)
    ->Arg(k10KB)
    ->Arg(k1MB)
    ->Arg(k10MB)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NotationFieldSetText)
    ->Arg(k10KB)
    ->Arg(k1MB)
    ->Arg(k10MB)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLineEditSetText)
    ->Arg(k10KB)
    ->Arg(k1MB)
    ->Arg(k10MB)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum

int main(int argc, char** argv) {
    return kestrum::RunQtBenchmarks(argc, argv);
}
