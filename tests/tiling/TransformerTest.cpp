#include "Transformer.h"

#include "ZigzagReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Scales tiles on Forward and Inverse and logs every call, so the tests see
// what the Transformer hands over and in which order.
class RecordingTransform : public Transform {
public:
    struct Call {
        char Kind; // 'F', 'T' or 'I'
        const double* Data;
        std::uint32_t N;
        double X;
    };

    void Forward(double* data, std::uint32_t n) override {
        Calls.push_back({'F', data, n, 0.0});
        ForwardInputs.emplace_back(data, data + std::size_t{n} * n);
        Scale(data, n, ForwardScale);
    }
    void Inverse(double* data, std::uint32_t n) override {
        Calls.push_back({'I', data, n, 0.0});
        Scale(data, n, InverseScale);
    }
    // Reports 10, 20, 30, ... on successive calls.
    void Threshold(double* data, std::uint32_t n, double x) override {
        Calls.push_back({'T', data, n, x});
        KeptPercent = 10.0 * static_cast<double>(++ThresholdCount);
    }

    double ForwardScale = 2.0;
    double InverseScale = 0.5;
    int ThresholdCount = 0;
    std::vector<Call> Calls;
    std::vector<std::vector<double>> ForwardInputs;

private:
    static void Scale(double* data, std::uint32_t n, double factor) {
        for (std::size_t i = 0; i < std::size_t{n} * n; ++i) {
            data[i] *= factor;
        }
    }
};

std::vector<double> RandomValues(std::size_t count, unsigned start) {
    std::mt19937 generator(start);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    std::vector<double> values(count);
    for (double& v : values) {
        v = value(generator);
    }
    return values;
}

void Fill(Transformer& t, const std::vector<double>& values) {
    std::copy(values.begin(), values.end(), t.Plane.get());
}

std::vector<double> PlaneOf(const Transformer& t) {
    return {t.Plane.get(), t.Plane.get() + std::size_t(t.Size) * std::size_t(t.Size)};
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Position in a tile's Data of the element with raster index k.
std::size_t Slot(std::uint8_t order, const std::vector<std::size_t>& zigzag, std::size_t k) {
    return order != 0 ? k : zigzag[k];
}

struct Grid {
    std::int32_t N;
    std::int32_t TileCount;
};

void PrintTo(const Grid& g, std::ostream* os) {
    *os << "N " << g.N << " tiles " << g.TileCount;
}

class SplitMerge : public testing::TestWithParam<Grid> {};

TEST_P(SplitMerge, CopiesEveryCoveredElementToItsSlotAndBack) {
    const Grid grid = GetParam();
    const auto n = static_cast<std::size_t>(grid.N);
    RecordingTransform transform;
    Transformer t(grid.N, grid.TileCount, 0.0, &transform);
    const auto side = static_cast<std::size_t>(t.TileSize);
    const std::size_t covered = side * static_cast<std::size_t>(grid.TileCount);
    const std::vector<std::size_t> zigzag = ZigzagPositions(side);
    const std::vector<double> original = RandomValues(n * n, 7);

    for (std::uint8_t order : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{0x80}}) {
        SCOPED_TRACE(testing::Message() << "order " << int(order));
        Fill(t, original);
        t.Split(order);
        ASSERT_EQ(PlaneOf(t), original) << "Split wrote the plane";
        for (std::size_t r = 0; r < covered; ++r) {
            for (std::size_t c = 0; c < covered; ++c) {
                const BitField<double>& tile = t.Tiles[r / side][c / side];
                const std::size_t k = (r % side) * side + c % side;
                ASSERT_EQ(tile.Data[Slot(order, zigzag, k)], original[r * n + c])
                    << "row " << r << " column " << c;
            }
        }

        // Merge must write every covered element and nothing else.
        const double sentinel = -12345.0;
        std::fill(t.Plane.get(), t.Plane.get() + n * n, sentinel);
        t.Merge(order);
        for (std::size_t r = 0; r < n; ++r) {
            for (std::size_t c = 0; c < n; ++c) {
                const double expected = r < covered && c < covered ? original[r * n + c] : sentinel;
                ASSERT_TRUE(SameBits(t.Plane[r * n + c], expected))
                    << "row " << r << " column " << c;
            }
        }
    }

    // Zigzag Split, raster Merge: raster index p receives the element at zigzag position p.
    const std::vector<std::size_t> visit = ZigzagVisitOrder(side);
    Fill(t, original);
    t.Split(0);
    t.Merge(1);
    for (std::size_t r = 0; r < covered; ++r) {
        for (std::size_t c = 0; c < covered; ++c) {
            const std::size_t p = (r % side) * side + c % side;
            const std::size_t source = visit[p];
            const std::size_t sr = r - r % side + source / side;
            const std::size_t sc = c - c % side + source % side;
            ASSERT_EQ(t.Plane[r * n + c], original[sr * n + sc]) << "row " << r << " column " << c;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Grids, SplitMerge,
                         testing::Values(Grid{0, 1}, Grid{1, 1}, Grid{8, 1}, Grid{8, 2}, Grid{8, 8},
                                         Grid{10, 3}, Grid{37, 5}, Grid{64, 4}, Grid{3, 4},
                                         Grid{256, 32}, Grid{100, 7}));

TEST(Transformer, ConstructorSetsTheGeometry) {
    RecordingTransform transform;
    for (std::int32_t tiles : {1, 2, 4, 8, 16, 32}) {
        SCOPED_TRACE(testing::Message() << "tiles " << tiles);
        Transformer t(256, tiles, 0.25, &transform);
        EXPECT_EQ(t.TileSize, 256 / tiles);
        EXPECT_EQ(t.Size, 256);
        EXPECT_EQ(t.Rows, 256);
        EXPECT_EQ(t.Stride, 256);
        EXPECT_EQ(t.TileCount, tiles);
        EXPECT_EQ(t.ErrorFraction, 0.25);
        EXPECT_EQ(t.Transform, &transform);
        EXPECT_EQ(t.Tiles[tiles - 1][tiles - 1].Width, 256 / tiles);
        EXPECT_EQ(t.Tiles[tiles - 1][tiles - 1].Height, 256 / tiles);
        EXPECT_EQ(t.MeanKeptPercent(), 0.0);
    }
}

TEST(Transformer, RejectsBadArguments) {
    RecordingTransform transform;
    const auto expectMessage = [](auto make, const std::string& part) {
        try {
            make();
            ADD_FAILURE() << "no exception, expected one naming " << part;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    expectMessage([&] { Transformer(-1, 1, 0.0, &transform); }, "-1");
    expectMessage([&] { Transformer(8, 0, 0.0, &transform); }, "0");
    expectMessage([&] { Transformer(8, -3, 0.0, &transform); }, "-3");
    expectMessage([&] { Transformer(8, 1, 0.0, nullptr); }, "null");
    // Far more elements than any machine can hold: refused, not wrapped around.
    EXPECT_THROW(Transformer(std::numeric_limits<std::int32_t>::max(), 1, 0.0, &transform),
                 std::bad_alloc);
}

TEST(Transformer, ThresholdReadsKeptPercentAfterEachCallRowFirst) {
    RecordingTransform transform;
    Transformer t(8, 2, 0.375, &transform);
    t.Split(1);
    t.ThresholdTiles();
    ASSERT_EQ(transform.Calls.size(), 4u);
    for (std::int32_t l = 0; l < 2; ++l) {
        for (std::int32_t m = 0; m < 2; ++m) {
            SCOPED_TRACE(testing::Message() << "tile " << l << ", " << m);
            const RecordingTransform::Call& call = transform.Calls[std::size_t(l * 2 + m)];
            EXPECT_EQ(call.Data, t.Tiles[l][m].Data.get());
            EXPECT_EQ(call.N, 4u);
            EXPECT_EQ(call.X, 0.375);
            EXPECT_EQ(t.TileResults[std::size_t(l * 2 + m)], 10.0 * (l * 2 + m + 1));
        }
    }
    EXPECT_EQ(t.MeanKeptPercent(), 25.0);
}

TEST(Transformer, RunHandsEachTileOverInScanOrderAndRestoresThePlane) {
    // Only the low byte of the order counts: 0x100 is zigzag, 0x101 raster.
    for (std::int32_t order : {0x100, 0x101}) {
        SCOPED_TRACE(testing::Message() << "order " << order);
        RecordingTransform transform;
        Transformer t(8, 2, 0.5, &transform);
        const std::vector<double> original = RandomValues(64, 11);
        Fill(t, original);
        t.Run(order);

        ASSERT_EQ(transform.Calls.size(), 12u);
        const std::string kinds = "FFFFTTTTIIII";
        const std::vector<std::size_t> zigzag = ZigzagPositions(4);
        for (std::size_t i = 0; i < 12; ++i) {
            const std::size_t tile = i % 4;
            EXPECT_EQ(transform.Calls[i].Kind, kinds[i]) << "call " << i;
            EXPECT_EQ(transform.Calls[i].Data, t.Tiles[tile / 2][tile % 2].Data.get())
                << "call " << i;
        }
        for (std::size_t tile = 0; tile < 4; ++tile) {
            const std::vector<double>& input = transform.ForwardInputs[tile];
            for (std::size_t k = 0; k < 16; ++k) {
                const std::size_t r = tile / 2 * 4 + k / 4;
                const std::size_t c = tile % 2 * 4 + k % 4;
                EXPECT_EQ(input[Slot(std::uint8_t(order & 0xFF), zigzag, k)], original[r * 8 + c])
                    << "tile " << tile << " element " << k;
            }
        }
        EXPECT_EQ(PlaneOf(t), original);
        EXPECT_EQ(t.MeanKeptPercent(), 25.0);
    }
}

TEST(Transformer, RunLeavesUncoveredRowsAndColumns) {
    RecordingTransform transform;
    transform.InverseScale = -1.0;
    Transformer t(10, 4, 0.0, &transform);
    const std::vector<double> original = RandomValues(100, 3);
    Fill(t, original);
    t.Run(0);
    for (std::size_t r = 0; r < 10; ++r) {
        for (std::size_t c = 0; c < 10; ++c) {
            const double expected =
                r < 8 && c < 8 ? -2.0 * original[r * 10 + c] : original[r * 10 + c];
            EXPECT_EQ(t.Plane[r * 10 + c], expected) << "row " << r << " column " << c;
        }
    }
}

TEST(Transformer, PlaneSmallerThanTheTileCountHasEmptyTiles) {
    RecordingTransform transform;
    Transformer t(3, 4, 0.1, &transform);
    EXPECT_EQ(t.TileSize, 0);
    const std::vector<double> original = RandomValues(9, 5);
    Fill(t, original);
    for (std::int32_t order : {0, 1}) {
        t.Run(order);
        EXPECT_EQ(PlaneOf(t), original) << "order " << order;
    }
    ASSERT_EQ(transform.Calls.size(), 2u * 3u * 16u);
    for (const RecordingTransform::Call& call : transform.Calls) {
        EXPECT_EQ(call.N, 0u);
    }
}

} // namespace
