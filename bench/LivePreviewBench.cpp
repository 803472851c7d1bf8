// How quickly a page follows its error slider with the live preview on: a drag at 60 positions
// per second through the window's own code path (offscreen), timed from each slider move to the
// page showing that position's result.
//
// Counters per page kind and side:
//   median_ms   median over the positions shown of move-to-picture time (coefficients kept
//               from a first step before the drag)
//   shown       positions shown of those the drag passed (the others were replaced in flight)
//   last_shown  1 when the position the slider rested on was shown
//   release_ms  from the release to the resting position's picture
//   block_ms    the longest the event loop went without running a 4 ms timer, less 4 ms

#include "ConversionResult.h"
#include "FakeDialogs.h"
#include "ImageFile.h"
#include "TMainWindow.h"
#include "TransformKind.h"

#include "BenchImage.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace {

QString BenchImageFile(const QTemporaryDir& dir, int side) {
    const std::vector<std::uint32_t> pixels = PhotoLikeImage(side);
    QImage image(side, side, QImage::Format_RGB32);
    std::memcpy(image.bits(), pixels.data(), pixels.size() * sizeof(std::uint32_t));
    const QString path = dir.filePath(QStringLiteral("bench_%1.bmp").arg(side));
    SaveImageFile(image, path, ImageFormat::Bmp);
    return path;
}

void LiveDrag(benchmark::State& state) {
    const int page = static_cast<int>(state.range(0));
    const int side = static_cast<int>(state.range(1));
    QTemporaryDir dir;
    FakeDialogsScope dialogs;
    TMainWindow window;
    dialogs->openAnswers.push_back(BenchImageFile(dir, side));
    window.OpenButtonClick();
    window.findChild<QTabWidget*>(QStringLiteral("TransformPageControl"))->setCurrentIndex(page);
    for (int s = 256; s < side; s *= 2) {
        window.ZoomInImage(Qt::LeftButton);
    }
    window.findChild<QAction*>(QStringLiteral("LivePreviewAction"))->setChecked(true);
    TransformPage& p = window.Pages[static_cast<std::size_t>(page)];
    QSlider* slider = p.ErrorTrackBar;

    QElapsedTimer clock;
    clock.start();
    std::map<int, qint64> moved;
    std::map<int, qint64> shown;
    QObject::connect(&window, &TMainWindow::ResultShown, [&](int index) {
        if (index == page && p.LastResult) {
            const int position = static_cast<int>(p.LastResult->Settings.ErrorPercent);
            shown.try_emplace(position, clock.nsecsElapsed());
        }
    });
    const auto waitFor = [&](int position) {
        while (!shown.count(position)) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
    };

    for (auto _ : state) {
        // A first step makes the coefficients the drag then reuses.
        slider->setValue(1);
        waitFor(1);
        moved.clear();
        shown.clear();

        qint64 longestGap = 0;
        qint64 lastTick = clock.nsecsElapsed();
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestGap = std::max(longestGap, now - lastTick);
            lastTick = now;
        });
        ticker.start(4);

        constexpr int Positions = 60;
        const qint64 start = clock.nsecsElapsed();
        slider->setSliderDown(true);
        QTimer drag;
        drag.setTimerType(Qt::PreciseTimer);
        int next = 2;
        qint64 released = 0;
        QObject::connect(&drag, &QTimer::timeout, [&] {
            // On the schedule of 60 a second, whatever the timer's own drift.
            const qint64 due = start + (next - 2) * 1'000'000'000LL / 60;
            if (clock.nsecsElapsed() < due) {
                return;
            }
            moved[next] = clock.nsecsElapsed();
            slider->setValue(next);
            if (++next == Positions + 2) {
                drag.stop();
                released = clock.nsecsElapsed();
                slider->setSliderDown(false);
            }
        });
        drag.start(1);
        waitFor(Positions + 1);
        ticker.stop();

        std::vector<double> latencies;
        for (const auto& [position, when] : shown) {
            if (moved.count(position)) {
                latencies.push_back(static_cast<double>(when - moved[position]) / 1e6);
            }
        }
        std::sort(latencies.begin(), latencies.end());
        const std::size_t n = latencies.size();
        state.counters["median_ms"] =
            n == 0 ? 0.0
                   : (n % 2 ? latencies[n / 2] : (latencies[n / 2 - 1] + latencies[n / 2]) / 2);
        state.counters["shown"] = static_cast<double>(n);
        state.counters["last_shown"] = shown.count(Positions + 1) ? 1.0 : 0.0;
        state.counters["release_ms"] = static_cast<double>(shown[Positions + 1] - released) / 1e6;
        state.counters["block_ms"] = std::max(0.0, static_cast<double>(longestGap) / 1e6 - 4.0);
    }
}

void Arguments(benchmark::internal::Benchmark* b) {
    for (int side : {256, 1024, 2048}) {
        for (int page = 0; page < 6; ++page) {
            b->Args({page, side});
        }
    }
}

BENCHMARK(LiveDrag)->Apply(Arguments)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
