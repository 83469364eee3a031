// Repainting a command button whose label came from a hostile command set file (10 MB on
// one line) against one with an ordinary label.

#include <QPushButton>
#include <string>

#include "qt_benchmark_main.h"
#include "ui/main/command_button.h"

namespace kestrum {
namespace {

template <typename Button>
void RepaintWithLabel(benchmark::State& state) {
    Button button;
    button.setGeometry(0, 0, 75, 33);
    button.setText(QString(static_cast<qsizetype>(state.range(0)), QLatin1Char('M')));
    for (auto _ : state) {
        benchmark::DoNotOptimize(button.grab());
    }
    state.SetLabel(std::to_string(state.range(0)) + " characters");
}

void BM_CommandButtonRepaint(benchmark::State& state) {
    RepaintWithLabel<CommandButton>(state);
}
BENCHMARK(BM_CommandButtonRepaint)->Arg(10)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);

void BM_PlainPushButtonRepaint(benchmark::State& state) {
    RepaintWithLabel<QPushButton>(state);
}
BENCHMARK(BM_PlainPushButtonRepaint)->Arg(10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum

int main(int argc, char** argv) {
    return kestrum::RunQtBenchmarks(argc, argv);
}
