#include "bus/WriteSequence.h"

#include <utility>

#include "bus/RtcBus.h"

WriteSequence::WriteSequence(RtcBus& bus, const void* sender, const void* control, Unlock unlock)
    : bus_(bus), sender_(sender), control_(control), unlock_(std::move(unlock))
{
}

WriteSequence& WriteSequence::read(uint8_t address, uint32_t count)
{
    return step([&] { return bus_.ReadRegisters(bus_.subAddressLength(), address, count); });
}

WriteSequence& WriteSequence::write(uint8_t address, uint32_t count)
{
    // A write after a failed write-enable step would be acknowledged and
    // dropped by the part: it does not go.
    unlock();
    return step([&] { return bus_.WriteRegisters(bus_.subAddressLength(), address, count); });
}

WriteSequence& WriteSequence::unlock()
{
    if (unlock_ && bus_.NeedsUnlock()) step([&] { return unlock_(sender_); });
    return *this;
}

WriteSequence& WriteSequence::carryOn()
{
    stopped_ = false;
    return *this;
}

int32_t WriteSequence::report()
{
    bus_.ReportResult(sender_, control_, first_.code());
    return first_.code();
}

void WriteSequence::keep(int32_t code)
{
    if (!first_.keep(code)) stopped_ = true;
}
