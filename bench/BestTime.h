#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>

// Shared by the timing programs: the best of several rounds, so that a busy machine spoils as few
// figures as it can, and a sink that keeps the compiler from dropping work nobody reads.
namespace morvelin::bench {

inline volatile std::size_t sink = 0;

template <typename Work>
double BestMs(int rounds, Work&& work) {
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

}  // namespace morvelin::bench
