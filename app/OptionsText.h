#pragma once

#include "TransformKind.h"
#include "TransformOptions.h"

#include <QString>

// The transform options in the window's words, alike wherever it shows them.

// The choices' own texts: "Plain" and "Orthonormal"; "As the page (Haar all, D4 one)",
// "All levels" and "1" to "12"; "Permitted error" and "Kept share".
QString ScalingText(DctScaling scaling);
QString LevelsText(int levels);
QString RuleText(KeepRule rule);

// What a result was made with, in a few words: "orthonormal DCT, all levels, kept share"; empty
// for the defaults.
QString OptionsCaption(const TransformOptions& options);

// The page's figure for the percent its slider sets: "error 5%" or "keep 5%".
QString PercentCaption(KeepRule rule, double percent);

// A page tab's tooltip: what the page computes by default and what "Like for like" changes.
QString PageHint(TransformKind kind);

// text as a tooltip that wraps at the tooltip's width instead of running off the screen.
QString WrappedTip(const QString& text);
