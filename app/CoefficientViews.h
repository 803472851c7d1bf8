#pragma once

#include "CoefficientMap.h"
#include "RenderCoefficients.h"
#include "TransformKind.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <memory>

class QThread;
struct ConversionResult;

// The coefficients of pages' last conversions, for the Side by side view: made again on demand
// from a page's settings and the image it converted (the forward transform and the rule, no
// inverse), on a thread of their own, and held only while a side shows them.
//
// One map is made at a time, from the thread's own copies of the image and settings; Cancel
// stops it between tiles, and a generation number drops what a cancelled one still hands back.
class CoefficientViews : public QObject {
    Q_OBJECT

public:
    explicit CoefficientViews(QObject* parent = nullptr);
    ~CoefficientViews() override;

    // The page's result and the image it was made from; the page's map goes.
    void SetSource(int page, std::shared_ptr<const ConversionResult> result, const QImage& image);
    // Whether the page has something to show coefficients of.
    bool Available(int page) const;
    // The page's map drawn for channel, or a null image while it is made (Ready follows) or when
    // it cannot be (Failure says why). Starts making it if need be.
    QImage Image(int page, CoefficientChannel channel);
    // The page's map, or null.
    const CoefficientMap* Map(int page) const;
    // Lets every map go but those of the pages given (-1 for none).
    void KeepOnly(int first, int second);
    QString Failure(int page) const;
    bool Busy() const { return thread != nullptr; }
    void Cancel();

signals:
    void Ready(int page);

private:
    struct Entry {
        std::shared_ptr<const ConversionResult> Result;
        QImage Source;
        std::shared_ptr<const CoefficientMap> Map;
        QString Failure;
    };

    void Start(int page);
    void Finished(int page, std::shared_ptr<const CoefficientMap> map, const QString& failure);

    std::array<Entry, TransformKindCount> entries;
    std::unique_ptr<QThread> thread;
    int computing = -1;
    std::atomic<bool> cancel{false};
    int generation = 0;
};
