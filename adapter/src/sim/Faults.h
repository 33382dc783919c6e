// Random transfer failures for reliability tests: each transfer fails with a
// fixed probability, from a seeded generator so a run can be repeated.
#pragma once

#include <cstdint>
#include <random>

namespace kvrx::sim {

class Faults {
  public:
    Faults(double probability, uint64_t seed) : probability_(probability), rng_(seed) {}

    // Whether the next transfer fails. Draws nothing when failures are off, so
    // the sequence of a seed does not depend on calls made before they were on.
    bool nextFails();

  private:
    double probability_;
    std::mt19937_64 rng_;
};

} // namespace kvrx::sim
