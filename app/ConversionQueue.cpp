#include "ConversionQueue.h"

#include <QLabel>

#include <stdexcept>

ConversionQueue::ConversionQueue(TransformPages& pages) : pages(pages) {}

QString ConversionQueue::WaitingCaption() {
    return QStringLiteral("Waiting for memory");
}

QString ConversionQueue::RefusalMessage(const QStringList& refusals) {
    if (refusals.size() == 1) {
        return refusals.front();
    }
    return QStringLiteral("%1 pages cannot be converted:\n\n%2")
        .arg(refusals.size())
        .arg(refusals.join(QStringLiteral("\n\n")));
}

std::size_t ConversionQueue::IndexOf(const TransformPage& page) const {
    const auto index = static_cast<std::size_t>(&page - pages.data());
    if (index >= pages.size()) {
        throw std::invalid_argument("ConversionQueue: the page is not one of the window's");
    }
    return index;
}

void ConversionQueue::Add(TransformPage& page) {
    const std::size_t index = IndexOf(page);
    if (page.Busy) {
        throw std::invalid_argument("ConversionQueue: a converting page cannot wait");
    }
    if (kept[index]) {
        return;
    }
    kept[index] = page.CompressLabel->text();
    page.CompressLabel->setText(WaitingCaption());
}

bool ConversionQueue::Waiting(const TransformPage& page) const {
    return kept[IndexOf(page)].has_value();
}

int ConversionQueue::Count() const {
    int count = 0;
    for (const auto& caption : kept) {
        count += caption ? 1 : 0;
    }
    return count;
}

void ConversionQueue::Remove(std::size_t index) {
    pages[index].CompressLabel->setText(*kept[index]);
    kept[index].reset();
}

void ConversionQueue::Cancel() {
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i]) {
            Remove(i);
        }
    }
}

std::vector<TransformPage*>
ConversionQueue::Advance(const std::function<PageFit(const TransformPage&)>& fit,
                         const std::function<void(TransformPage&)>& start) {
    std::vector<TransformPage*> refused;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (!kept[i]) {
            continue;
        }
        switch (fit(pages[i])) {
        case PageFit::Now:
            Remove(i);
            start(pages[i]);
            break;
        case PageFit::Never:
            Remove(i);
            refused.push_back(&pages[i]);
            break;
        case PageFit::AfterOthers:
            break;
        }
    }
    return refused;
}
