// Daylight saving changes of the parts that make them themselves (TypeD and
// TypeF): eight registers hold when the clock goes forward and when it goes
// back, and the DSTADJ status bit records that the forward change is in force.
//
// The block, from its first register: DMF (bit 7 DSTE, bits 4..0 month),
// DDwF (bit 6 day-of-week mode, bits 5..3 week, bits 2..0 day of week), DDtF
// (date), DHF (hour, in the clock's 12- or 24-hour form), then DMR, DDwR,
// DDtR and DHR the same way for the change back. Week 1 to 5 is the n-th such
// day of the month, week 7 its last; other weeks never match.
//
// As the datasheet has it: with DSTE set and DSTADJ clear, the clock goes from
// the forward hour to the next when it reaches the forward hour on the forward
// day (02:00 -> 03:00), and DSTADJ is set; with DSTADJ set it goes back from
// the reverse hour to the one before (02:00 -> 01:00) and DSTADJ clears, so
// the hour it repeats does not go back again. DSTE written as 0 clears
// DSTADJ. DSTADJ is the chip's own record: a written 0 does not clear it.
#pragma once

#include <cstdint>

#include "Calendar.h"

namespace kvrx::sim {

struct DstTraits {
    uint8_t block = 0; // DMF, the first of the eight registers
    uint8_t flagReg = 0;
    uint8_t flagMask = 0; // DSTADJ; 0: the family has no daylight saving
    constexpr bool present() const { return flagMask != 0; }
};

// After a bus write of register `address`: a DMF without DSTE clears DSTADJ.
void dstRegisterWritten(uint8_t* regs, const DstTraits& dst, uint8_t address);

// After the clock counted a second: the change due at this second, if any,
// moves the clock and DSTADJ.
void dstSecondCounted(uint8_t* regs, const TimeLayout& time, const DstTraits& dst);

// Whether the next change could fall within the coming day (today's or
// tomorrow's date is its day): only then must the clock count each second.
// Changes happen on the hour, so between such days whole days may pass at once.
bool dstChangeWithinDay(const uint8_t* regs, const TimeLayout& time, const DstTraits& dst);

} // namespace kvrx::sim
