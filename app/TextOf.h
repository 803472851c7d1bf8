#pragma once

#include <QString>

#include <string_view>

// A caption, prefix or hint of the transform table (Latin-1 text) as a QString.
inline QString TextOf(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
