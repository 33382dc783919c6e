#include "Faults.h"

namespace kvrx::sim {

bool Faults::nextFails()
{
    if (probability_ <= 0.0) return false;
    // 53 random bits as a double in [0, 1); the same on every standard library.
    const double u = static_cast<double>(rng_() >> 11) * 0x1.0p-53;
    return u < probability_;
}

} // namespace kvrx::sim
