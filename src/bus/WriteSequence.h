// The write sequence of a page action: read the registers whose other bits
// the write keeps, encode into the image, the write-enable step of a part
// that needs one, write. The first failure stops the sequence and is the one
// result the action reports.
#pragma once

#include <cstdint>
#include <functional>

#include "bus/Result.h"

class RtcBus;

class WriteSequence {
  public:
    // The write-enable step as the window runs it (the register page shows its
    // tries); sender as ReportResult takes it. Returns the step's result.
    using Unlock = std::function<int32_t(const void* sender)>;

    // sender and control as ReportResult takes them. Without unlock no write
    // gets the write-enable step.
    WriteSequence(RtcBus& bus, const void* sender, const void* control, Unlock unlock = {});

    // Registers into the image, with the part's sub-address length.
    WriteSequence& read(uint8_t address, uint32_t count);
    // Work between transfers (encoding into the image); skipped once stopped.
    template <class F> WriteSequence& encode(F&& work)
    {
        if (!stopped_) work();
        return *this;
    }
    // The write-enable step where the part needs one, then the registers from
    // the image.
    WriteSequence& write(uint8_t address, uint32_t count);
    // The write-enable step alone, before a write from a buffer of its own.
    WriteSequence& unlock();
    // Any other transfer (a buffer of its own, another slave); its result
    // counts like the others'.
    template <class F> WriteSequence& step(F&& transfer)
    {
        if (!stopped_) keep(transfer());
        return *this;
    }
    // The steps after this one run although an earlier one failed (where the
    // design goes on); the first failure stays the one reported.
    WriteSequence& carryOn();

    // No step has failed.
    bool ok() const { return first_.ok(); }
    // The first failure, or 0.
    int32_t code() const { return first_.code(); }
    // The first failure through ReportResult (a success shows nothing);
    // returns it.
    int32_t report();

  private:
    void keep(int32_t code);

    RtcBus& bus_;
    const void* sender_;
    const void* control_;
    Unlock unlock_;
    FirstFailure first_;
    bool stopped_ = false;
};
