// The Data Monitor under traffic. Targets (Release): an append of a 12-character chunk,
// including the repaint it causes, costs at most 20 us at every monitor size, and at 16 MiB
// within 2x of 10 KiB; re-rendering 16 MiB from Hex to Decimal within 1.5 s; at most
// 3 bytes of memory per stored character. BM_PlainTextEditAppend puts the same appends into
// a QPlainTextEdit for comparison.

#include <benchmark/benchmark.h>

#include <malloc.h>
#include "qt_benchmark_main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "ui/monitor/data_monitor.h"

namespace kestrum {
namespace {

constexpr std::int64_t kTenKiB = 10 << 10;
constexpr std::int64_t kOneMiB = 1 << 20;
constexpr std::int64_t kSixteenMiB = 16 << 20;
constexpr int kViewWidth = 740;
constexpr int kViewHeight = 314;

// One received notification in Hex: four bytes, twelve characters.
constexpr std::string_view kChunk = "41 54 0D 0A ";

// Hex traffic on one line (Hex never breaks lines), `size` characters.
std::string HexLine(std::int64_t size) {
    std::string text;
    text.reserve(static_cast<std::size_t>(size));
    while (text.size() + kChunk.size() <= static_cast<std::size_t>(size)) {
        text.append(kChunk);
    }
    return text;
}

// A shown main-window stand-in holding the monitor at the size of the designed ReceiveBox.
struct MonitorWindow {
    explicit MonitorWindow(std::size_t capacity = kMonitorCapacity)
        : monitor(&window, &window, nullptr, capacity) {
        // Lamps above the view, as in the main window: a sibling overlapping the view
        // would make Qt repaint it whole instead of moving its pixels on a scroll.
        window.resize(kViewWidth + 20, kViewHeight + 40);
        monitor.Lamps().LED1()->setGeometry(10, 8, 13, 13);
        monitor.Lamps().LED2()->setGeometry(40, 8, 13, 13);
        monitor.View()->setGeometry(10, 30, kViewWidth, kViewHeight);
        window.show();
        QApplication::processEvents();
    }

    // Fills the monitor with one line of `size` characters, in alternate colours.
    void Fill(std::int64_t size) {
        const std::string line = HexLine(size);
        constexpr std::size_t kPiece = 4096;
        for (std::size_t at = 0; at < line.size(); at += kPiece) {
            monitor.AppendText(std::string_view(line).substr(at, kPiece),
                               (at / kPiece) % 2 ? ReceiveColour : TransmitColour);
        }
        QApplication::processEvents();
    }

    QWidget window;
    DataMonitor monitor;
};

// Appends with the repaint each causes: the event loop runs once per append, which paints
// the rows that changed (and scrolls when a row is added).
void BM_MonitorAppend(benchmark::State& state) {
    MonitorWindow shown;
    shown.Fill(state.range(0));
    bool received = false;
    for (auto _ : state) {
        shown.monitor.AppendText(kChunk, received ? ReceiveColour : TransmitColour);
        received = !received;
        QApplication::processEvents();
    }
    state.counters["chars"] = static_cast<double>(shown.monitor.Text().Size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MonitorAppend)
    ->Arg(kTenKiB)
    ->Arg(kOneMiB)
    ->Arg(kSixteenMiB)
    ->Unit(benchmark::kMicrosecond);

// The worst case: every append repaints the whole viewport synchronously.
void BM_MonitorAppendFullRepaint(benchmark::State& state) {
    MonitorWindow shown;
    shown.Fill(state.range(0));
    bool received = false;
    for (auto _ : state) {
        shown.monitor.AppendText(kChunk, received ? ReceiveColour : TransmitColour);
        received = !received;
        shown.monitor.View()->viewport()->repaint();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MonitorAppendFullRepaint)
    ->Arg(kTenKiB)
    ->Arg(kOneMiB)
    ->Arg(kSixteenMiB)
    ->Unit(benchmark::kMicrosecond);

// The same appends into Qt's own plain text widget, as a monitor built on it would do them.
void BM_PlainTextEditAppend(benchmark::State& state) {
    QWidget window;
    window.resize(kViewWidth + 20, kViewHeight + 20);
    QPlainTextEdit edit(&window);
    edit.setGeometry(10, 10, kViewWidth, kViewHeight);
    edit.setReadOnly(true);
    edit.setPlainText(QString::fromLatin1(HexLine(state.range(0))));
    window.show();
    QApplication::processEvents();
    QTextCharFormat sent;
    sent.setForeground(TransmitColour);
    QTextCharFormat received;
    received.setForeground(ReceiveColour);
    const QString chunk = QString::fromLatin1(kChunk);
    bool isReceived = false;
    for (auto _ : state) {
        edit.moveCursor(QTextCursor::End);
        edit.setCurrentCharFormat(isReceived ? received : sent);
        edit.insertPlainText(chunk);
        isReceived = !isReceived;
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainTextEditAppend)->Arg(kTenKiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainTextEditAppend)->Arg(kOneMiB)->Iterations(5)->Unit(benchmark::kMillisecond);

// Runs the event loop until a re-render that went on in slices is done.
void FinishRerender(DataMonitor& monitor) {
    while (monitor.Rerendering()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Display mode change Hex -> Decimal of a 16 MiB monitor, with the repaint that follows.
void BM_MonitorReload(benchmark::State& state) {
    MonitorWindow shown;
    const std::string hex = HexLine(state.range(0));
    const ModeConversion hexToDecimal[] = {{DisplayMode::Hex, DisplayMode::Decimal}};
    for (auto _ : state) {
        state.PauseTiming();
        shown.monitor.Clear();
        shown.monitor.AppendText(hex, ReceiveColour);
        QApplication::processEvents();
        state.ResumeTiming();
        shown.monitor.ReloadMonitor(hexToDecimal, false);
        FinishRerender(shown.monitor);
        QApplication::processEvents();
    }
    state.counters["chars_after"] = static_cast<double>(shown.monitor.Text().Size());
}
BENCHMARK(BM_MonitorReload)->Arg(kSixteenMiB)->Iterations(3)->Unit(benchmark::kMillisecond);

// A display switch of 60 M characters (20 MB received, in Hex) to Ascii and back, with traffic
// arriving all along: a received chunk every 10 ms, in the notation switched to. Reports the
// whole time, the longest the event loop waited between two turns (a 5 ms ticker), and
// whether every chunk that arrived during the switch is shown, in order, after it.
// Target: the longest gap at most 100 ms.
void BM_MonitorSwitchUnderTraffic(benchmark::State& state) {
    constexpr std::int64_t kSixtyMillion = 60'000'000;
    MonitorWindow shown;
    shown.Fill(kSixtyMillion);
    const ModeConversion toAscii[] = {{DisplayMode::Hex, DisplayMode::Ascii}};
    const ModeConversion toHex[] = {{DisplayMode::Ascii, DisplayMode::Hex}};
    qint64 longestGap = 0;
    int arrived = 0;
    bool allShown = true;
    bool ascii = false;
    for (auto _ : state) {
        ascii = !ascii;
        const std::string chunk = ascii ? "ATOK" : "41 54 4F 4B ";
        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, clock.elapsed() - lastTick);
            lastTick = clock.elapsed();
        });
        int sent = 0;
        QTimer traffic;
        traffic.setInterval(10);
        QObject::connect(&traffic, &QTimer::timeout, [&] {
            shown.monitor.AppendText(chunk, ReceiveColour);
            ++sent;
        });
        ticker.start();
        traffic.start();
        QApplication::processEvents();
        lastTick = clock.elapsed();
        shown.monitor.ReloadMonitor(ascii ? std::span(toAscii) : std::span(toHex), false);
        FinishRerender(shown.monitor);
        // One more tick after the switch, so a loop blocked until its end is measured too.
        QEventLoop settle;
        QTimer::singleShot(20, &settle, &QEventLoop::quit);
        settle.exec();
        ticker.stop();
        traffic.stop();
        arrived += sent;
        std::string expected;
        for (int i = 0; i < sent; ++i) {
            expected += chunk;
        }
        const MonitorText& text = shown.monitor.Text();
        allShown = allShown && text.Size() >= expected.size() &&
                   text.Bytes(text.Size() - expected.size(), text.Size()) == expected;
    }
    state.counters["longest_gap_ms"] = static_cast<double>(longestGap);
    state.counters["arrived_during"] = arrived;
    state.counters["all_shown"] = allShown ? 1 : 0;
    state.counters["chars"] = static_cast<double>(shown.monitor.Text().Size());
}
BENCHMARK(BM_MonitorSwitchUnderTraffic)->Iterations(2)->Unit(benchmark::kMillisecond);

// Resident memory figures of this process from /proc, in bytes.
std::int64_t StatusField(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stoll(line.substr(field.size() + 1)) * 1024;
        }
    }
    return -1;
}

enum Traffic : std::int64_t {
    kHexOneLine = 0,       // Hex: 12-character chunks, alternating colours, one line
    kAsciiShortLines = 1,  // Ascii with Process Cr/Lf: "AT^M" sent, "\r\nOK\r\n" received
    kHexEveryMs = 2  // as kHexOneLine, each append a millisecond after the last: its own burst
};

// Memory per stored character while 16 MiB of traffic arrives append by append: what the
// model holds (text, colour runs, line index), and how far the process's resident size grew
// at its highest (model, view layout, allocator and all; sampled every 4096 appends and at
// the end).
void BM_MonitorMemory(benchmark::State& state) {
    for (auto _ : state) {
        auto shown = std::make_unique<MonitorWindow>();
        std::int64_t now = 0;
        if (state.range(0) == kHexEveryMs) {
            shown->monitor.SetClock([&now] { return ++now; });
        }
        // Memory freed by earlier benchmarks would otherwise be reused unseen.
        malloc_trim(0);
        const std::int64_t before = StatusField("VmRSS");
        std::int64_t peak = before;
        std::int64_t appends = 0;
        while (static_cast<std::int64_t>(shown->monitor.Text().Size()) < kSixteenMiB) {
            if (state.range(0) != kAsciiShortLines) {
                shown->monitor.AppendText(kChunk, appends % 2 ? ReceiveColour : TransmitColour);
            } else {
                shown->monitor.AppendText(appends % 2 ? "\r\nOK\r\n" : "AT^M",
                                          appends % 2 ? ReceiveColour : TransmitColour);
            }
            if (++appends % 4096 == 0) {
                QApplication::processEvents();
                peak = std::max(peak, StatusField("VmRSS"));
            }
        }
        QApplication::processEvents();
        peak = std::max(peak, StatusField("VmRSS"));
        const double size = static_cast<double>(shown->monitor.Text().Size());
        state.counters["model_bytes_per_char"] =
            static_cast<double>(shown->monitor.Text().AllocatedBytes()) / size;
        state.counters["peak_rss_bytes_per_char"] = static_cast<double>(peak - before) / size;
        state.counters["lines"] = static_cast<double>(shown->monitor.Text().LineCount());
        state.counters["bursts"] = static_cast<double>(shown->monitor.Text().ArrivalCount());
    }
}
BENCHMARK(BM_MonitorMemory)
    ->Arg(kHexOneLine)
    ->Arg(kAsciiShortLines)
    ->Arg(kHexEveryMs)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum

int main(int argc, char** argv) {
    return kestrum::RunQtBenchmarks(argc, argv);
}
