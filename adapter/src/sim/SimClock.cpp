#include "SimClock.h"

namespace kvrx::sim {

SimClock::SimClock(Mode mode) : mode_(mode), origin_(std::chrono::steady_clock::now()) {}

double SimClock::now() const
{
    if (mode_ == Mode::Manual) return manualNow_;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
}

void SimClock::advance(double seconds)
{
    if (mode_ == Mode::Manual) manualNow_ += seconds;
}

} // namespace kvrx::sim
