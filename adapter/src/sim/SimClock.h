// Time of the simulated board: the PC's steady clock, or a manual clock that
// moves only when told to (scripted runs and tests).
#pragma once

#include <chrono>

namespace kvrx::sim {

class SimClock {
  public:
    enum class Mode { Real, Manual };

    explicit SimClock(Mode mode);

    Mode mode() const { return mode_; }
    bool manual() const { return mode_ == Mode::Manual; }

    // Seconds since the clock was made.
    double now() const;

    // Moves a manual clock on; a real clock ignores it.
    void advance(double seconds);

  private:
    Mode mode_;
    std::chrono::steady_clock::time_point origin_;
    double manualNow_ = 0.0;
};

} // namespace kvrx::sim
