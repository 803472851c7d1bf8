#include "ConvertImage.h"

#include "PageConversion.h"
#include "Transform.h"

#include <algorithm>
#include <memory>
#include <vector>

ConversionResult ConvertImage(RgbView image, TransformKind kind, ConversionSettings settings,
                              std::size_t jobs, const std::atomic<bool>* cancel) {
    settings.Order = Describe(kind).Order();
    PageConversion conversion(settings, image.Width, image.Height);
    conversion.Read(image, jobs);
    std::vector<std::unique_ptr<Transform>> owned;
    std::vector<Transform*> transforms;
    for (std::size_t i = 0; i < std::max<std::size_t>(jobs, 1); ++i) {
        owned.push_back(MakeTransform(kind));
        transforms.push_back(owned.back().get());
    }
    conversion.Run(transforms, cancel);
    conversion.CorrectColors();
    return conversion.Finish();
}
