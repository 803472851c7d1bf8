#include "ParallelFor.h"

#include "ConversionCancelled.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

TEST(ParallelFor, RunsEveryIndexOnceOnTheWorkersAsked) {
    for (std::size_t workers : {1u, 2u, 5u, 64u}) {
        for (std::size_t count : {0u, 1u, 7u, 1000u}) {
            std::vector<std::atomic<int>> runs(count);
            std::vector<std::atomic<int>> used(workers);
            ParallelFor(count, workers, [&](std::size_t index, std::size_t worker) {
                ++runs[index];
                ++used.at(worker);
            });
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_EQ(runs[i], 1)
                    << "index " << i << " of " << count << ", " << workers << " workers";
            }
        }
    }
}

TEST(ParallelFor, RethrowsTheFirstFailureAfterAllThreadsStopped) {
    std::atomic<int> after{0};
    EXPECT_THROW(ParallelFor(100, 3,
                             [&](std::size_t index, std::size_t) {
                                 if (index == 10)
                                     throw std::runtime_error("tile 10");
                                 ++after;
                             }),
                 std::runtime_error);
    EXPECT_LT(after.load(), 100);
}

TEST(ParallelFor, StopsWhenCancelled) {
    std::atomic<bool> cancel{false};
    std::atomic<int> ran{0};
    EXPECT_THROW(ParallelFor(
                     1000, 2,
                     [&](std::size_t index, std::size_t) {
                         ++ran;
                         if (index == 5)
                             cancel = true;
                     },
                     &cancel),
                 ConversionCancelled);
    EXPECT_LT(ran.load(), 1000);
    // Finished before the request: nothing was lost, so nothing is thrown.
    std::atomic<bool> late{false};
    ParallelFor(
        3, 2, [&](std::size_t, std::size_t) {}, &late);
}
