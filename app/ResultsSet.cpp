#include "ResultsSet.h"

#include "CurveSummary.h"
#include "OptionsText.h"
#include "RowReader.h"

#include <algorithm>
#include <set>
#include <string>

ResultsSet ResultsSet::Load(const QStringList& paths) {
    std::vector<std::string> names;
    for (const QString& path : paths) {
        names.push_back(path.toStdString());
    }
    RowSet read = RowReader::ReadFiles(names);
    ResultsSet set;
    set.files = paths;
    set.rows = read.Rows();
    set.curves = CurveSummary::Of(set.rows);
    for (const SetCurve& curve : set.curves) {
        CurveKey group = curve.Key;
        group.Transform = set.curves.front().Key.Transform;
        if (std::none_of(set.groups.begin(), set.groups.end(),
                         [&](const CurveKey& g) { return InGroup(group, g); })) {
            set.groups.push_back(group);
        }
    }
    std::sort(set.groups.begin(), set.groups.end());
    return set;
}

bool ResultsSet::InGroup(const CurveKey& key, const CurveKey& group) {
    return key.Tiles == group.Tiles && key.ColorCorrection == group.ColorCorrection &&
           key.Options == group.Options;
}

QString ResultsSet::GroupName(const CurveKey& group) {
    QString name = group.Tiles == 1 ? QStringLiteral("1 tile per side")
                                    : QStringLiteral("%1 tiles per side").arg(group.Tiles);
    if (group.ColorCorrection) {
        name += QStringLiteral(", colour correction");
    }
    if (const QString options = OptionsCaption(group.Options); !options.isEmpty()) {
        name += QStringLiteral(", ") + options;
    }
    return name;
}

std::vector<SetCurve> ResultsSet::CurvesOf(const CurveKey& group) const {
    std::vector<SetCurve> of;
    std::copy_if(curves.begin(), curves.end(), std::back_inserter(of),
                 [&](const SetCurve& curve) { return InGroup(curve.Key, group); });
    return of;
}

std::vector<BatchRow> ResultsSet::RowsOf(const CurveKey& group) const {
    std::vector<BatchRow> of;
    for (const BatchRow& row : rows) {
        const CurveKey key{row.Transform, row.Tiles, row.ColorCorrection, row.Options};
        if (InGroup(key, group)) {
            of.push_back(row);
        }
    }
    return of;
}

std::size_t ResultsSet::ImageCount(const CurveKey& group) const {
    std::set<std::string> images;
    for (const BatchRow& row : rows) {
        const CurveKey key{row.Transform, row.Tiles, row.ColorCorrection, row.Options};
        if (InGroup(key, group)) {
            images.insert(row.Image);
        }
    }
    return images.size();
}
