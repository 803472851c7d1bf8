#pragma once

#include "ConversionSettings.h"
#include "SweepSettings.h"
#include "TransformOptions.h"

#include <QString>

struct TransformPage;

// Gives to the grid, error, colour correction and zoom of from, without a signal from to's
// controls; returns whether any of them changed. The caller redraws what depends on them.
bool CopyPageSettings(const TransformPage& from, TransformPage& to);

// The error slider's label: "Error: 37%" under the permitted-error rule, "Keep 37 %" under the
// kept-share rule.
QString ErrorLabelText(KeepRule rule, int position);
// What the error slider means under the rule.
QString ErrorSliderHint(KeepRule rule);
// The page's error label and slider tooltip for the rule; the slider keeps its position.
void ShowErrorRule(TransformPage& page, KeepRule rule);

// What a sweep, or a comparison of tiles, at the page's setting takes: its image width as the
// side, its tiles, colour correction and (for the tiles) error, with options.
SweepSettings SweepSettingsOf(const TransformPage& page, const TransformOptions& options);
ConversionSettings TileSettingsOf(const TransformPage& page, const TransformOptions& options);
