#pragma once

class QImage;
struct ConversionResult;
struct TransformPage;

// Shows a result made away from the page's worker (the live preview) exactly as the worker
// would leave the page: picture (the loaded image it was made from) with the region's new
// pixels, the grid when the page draws it, the Comp caption and bar, and the page unsaved.
// The result must still hold its pixels.
void ShowResultOnPage(TransformPage& page, const QImage& picture, const ConversionResult& result);
