#pragma once

#include "ConversionChecks.h"
#include "TransformPage.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// The pages "Convert all" could not start for want of memory. They wait, in page order, and
// start one after another as the running conversions end and leave memory free: the window
// advances the queue whenever a conversion ends. A waiting page says so in its Comp line and
// gets the line back when it leaves the queue, started or cancelled, so what its conversion
// keeps to restore is what the page showed before.
class ConversionQueue {
public:
    explicit ConversionQueue(TransformPages& pages);

    // The Comp line of a waiting page: "Waiting for memory".
    static QString WaitingCaption();
    // One message for the pages that can never start, from their refusals (each names its
    // page): the refusal itself for one page.
    static QString RefusalMessage(const QStringList& refusals);

    // Puts page in the queue; a page already there stays where it is. Throws
    // std::invalid_argument for a busy page or one that is not of pages.
    void Add(TransformPage& page);
    bool Waiting(const TransformPage& page) const;
    int Count() const;
    bool Empty() const { return Count() == 0; }
    // Every waiting page leaves the queue, its line restored.
    void Cancel();

    // Goes through the waiting pages in page order and asks fit where each stands, after the
    // pages started before it: one that fits now leaves the queue and is handed to start, one
    // that never fits leaves it and is returned, the others keep waiting.
    std::vector<TransformPage*> Advance(const std::function<PageFit(const TransformPage&)>& fit,
                                        const std::function<void(TransformPage&)>& start);

private:
    std::size_t IndexOf(const TransformPage& page) const;
    void Remove(std::size_t index);

    TransformPages& pages;
    // The Comp line each waiting page showed; empty for the others.
    std::array<std::optional<QString>, TransformKindCount> kept;
};
