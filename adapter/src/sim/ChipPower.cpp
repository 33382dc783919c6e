// The chip model's side of supply supervision: the board's switch and levels
// go to the supervisor, which says where the chip runs; the model switches
// over (stamps, battery flags, the clock on the battery) and lets the
// supervisor set its flags.
#include "ChipModel.h"

namespace kvrx::sim {

void ChipModel::supplyChanged(bool on)
{
    supervisor_.setSwitch(on);
    settlePower();
}

void ChipModel::setVoltages(double supply, double battery)
{
    supervisor_.setLevels(supply, battery);
    settlePower();
}

void ChipModel::busStart()
{
    supervisor_.busStart(regs_.data(), powered_, alive_);
}

bool ChipModel::resetLow() const
{
    return supervisor_.resetLow(alive_);
}

void ChipModel::settlePower()
{
    // Two steps at most: a first power-up comes through VDD and may hand
    // over to the battery at once (legacy mode with the battery above VDD).
    for (int step = 0; step < 2; ++step) {
        const bool onSupply = supervisor_.runsOnSupply(regs_.data(), powered_, alive_);
        if (onSupply == powered_) break;
        if (!onSupply && alive_) supervisor_.leavingSupply(regs_.data());
        switchSource(onSupply);
    }
    // A battery too weak to keep the clock lets it go.
    if (onBattery() && !supervisor_.batteryHolds()) {
        alive_ = false;
        batteryPeriod_ = false;
    }
    supervisor_.update(regs_.data(), powered_, alive_);
}

} // namespace kvrx::sim
