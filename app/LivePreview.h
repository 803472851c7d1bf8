#pragma once

#include "ConversionResult.h"
#include "ConversionSettings.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <typeinfo>

class Transform;

// Converts a page again while its sliders move, on a thread of its own, so the page follows the
// slider without a press of Convert.
//
// Only the latest position counts: a new request stops the conversion under way (between tiles)
// and takes its place; nothing queues. Requests and results carry a generation number, and a
// result whose generation is no longer the latest is dropped on the GUI thread, so nothing that
// was stopped is ever shown.
//
// The forward coefficients of the last image, side, tile count, transform and options are kept
// on the thread: a request that changes only the error thresholds and inverts copies of them
// (as a sweep does), with results identical to a conversion from the pixels. They go when any
// of those changes, on ReleaseCoefficients, or with the object.
//
// A result is what the page's own worker would produce from the same settings, with the kept
// percentage carried between tiles starting from startKept; Converted hands it back with the
// figure the last tile left, for the page's transform to keep.
class LivePreview : public QObject {
    Q_OBJECT

public:
    // Largest side converted at every slider step; larger pages convert once the slider is
    // released. At 2048 a step thresholds and inverts 12.6 million coefficients, under a
    // second on two cores; 4096 takes four times as long and its coefficients 400 MB.
    static constexpr std::int32_t LargestLiveSide = 2048;

    explicit LivePreview(QObject* parent = nullptr);
    ~LivePreview() override;

    // Whether a page of the given side is converted while its slider is still being dragged.
    static bool FollowsDrag(std::int32_t side) { return side <= LargestLiveSide; }

    // Converts picture (the loaded image) for the page at settings with transforms of the class
    // of prototype; false when that class cannot be copied (nothing is started then). Replaces
    // any request before it.
    bool Request(int page, const ConversionSettings& settings, const QImage& picture,
                 const Transform& prototype, double startKept);
    // Stops whatever runs or waits; its result will not be shown.
    void Stop();
    // The page whose request is under way, or -1.
    int RunningPage() const { return runningPage; }
    bool Running(int page) const { return page >= 0 && runningPage == page; }

    // Lets the kept coefficients go (another image was opened, or the preview was turned off).
    void ReleaseCoefficients();
    // Bytes the kept coefficients take now.
    std::uint64_t HeldBytes() const { return heldBytes; }
    // What a request at settings would need, beyond the image, with nothing kept.
    static std::uint64_t BytesNeeded(const ConversionSettings& settings);

signals:
    // The latest request's result, pixels included, with the picture it was made from and the
    // kept percentage its last tile left.
    void Converted(int page, std::shared_ptr<ConversionResult> result, QImage picture,
                   double lastKept);
    // The latest request failed.
    void Failed(int page, QString reason);
    // A request began or ended.
    void RunningChanged();

private:
    struct Job {
        int Generation = 0;
        int Page = -1;
        ConversionSettings Settings;
        QImage Picture;
        std::unique_ptr<Transform> First;
        double StartKept = 0.0;
    };
    struct Kept;

    void Loop();
    void Run(Job& job);
    void Deliver(int current, const std::function<void()>& step);

    int generation = 0;
    int runningPage = -1;
    // What the request under way converts.
    ConversionSettings latest;
    qint64 latestImage = 0;
    const std::type_info* latestClass = &typeid(void);

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> pending;
    bool quit = false;
    bool release = false;
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> heldBytes{0};
    // The thread's own: only Loop touches it.
    std::unique_ptr<Kept> kept;
    std::thread thread;
};
