#include "TransformKind.h"

#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Transform.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {
class Foreign : public Transform {
public:
    void Forward(double*, std::uint32_t) override {}
    void Inverse(double*, std::uint32_t) override {}
};
} // namespace

TEST(TransformKind, CaptionsFindTheirKindAndClonesKeepTheExactClass) {
    for (const auto& info : TransformKinds()) {
        EXPECT_EQ(TransformKindFromCaption(info.Caption), info.Kind) << info.Caption;
        const auto transform = MakeTransform(info.Kind);
        const auto clone = CloneTransform(*transform);
        ASSERT_NE(clone, nullptr) << info.Caption;
        EXPECT_EQ(typeid(*clone), typeid(*transform)) << info.Caption;
    }
    EXPECT_FALSE(TransformKindFromCaption("dct 1d").has_value());
    EXPECT_EQ(CloneTransform(Foreign()), nullptr);
    EXPECT_EQ(typeid(*CloneTransform(CosineFFT2D())), typeid(CosineFFT2D));
    EXPECT_EQ(typeid(*CloneTransform(CosineFFT())), typeid(CosineFFT));
}
