#pragma once

#include "BatchRow.h"
#include "CurveKey.h"
#include "SetCurve.h"

#include <QString>
#include <QStringList>

#include <vector>

// Row files of tarvish-batch opened in the window: their rows and the curves over the set of
// images (summary/), in groups of one tile count, colour correction and options each, which the
// Curves tab shows one at a time.
class ResultsSet {
public:
    // Reads the files; throws RowFileError naming the file and line of the first bad row.
    static ResultsSet Load(const QStringList& paths);

    const QStringList& Files() const { return files; }
    // The groups in the tables' order; a group is a CurveKey without its transform.
    const std::vector<CurveKey>& Groups() const { return groups; }
    // "8 tiles per side, colour correction, orthonormal DCT": what sets group apart.
    static QString GroupName(const CurveKey& group);
    // The group's curves, transforms in page order, and its rows.
    std::vector<SetCurve> CurvesOf(const CurveKey& group) const;
    std::vector<BatchRow> RowsOf(const CurveKey& group) const;
    // The images with a row in the group.
    std::size_t ImageCount(const CurveKey& group) const;
    // Every curve of every group, for the curves table.
    const std::vector<SetCurve>& Curves() const { return curves; }

private:
    static bool InGroup(const CurveKey& key, const CurveKey& group);

    QStringList files;
    std::vector<BatchRow> rows;
    std::vector<SetCurve> curves;
    std::vector<CurveKey> groups;
};
