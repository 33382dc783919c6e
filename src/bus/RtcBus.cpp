#include "bus/RtcBus.h"

#include <chrono>
#include <thread>

#include "kvrx_usb.h"

namespace {

constexpr uint32_t kImageSize = sizeof(rtcDataRec::Regs);

// The write-enable bits of the TypeE status register.
constexpr uint8_t kWel = 0x02;
constexpr uint8_t kWelRwel = 0x06;
constexpr int kAckPollLimit = 30;

bool fitsImage(uint8_t address, uint32_t count)
{
    return count <= kImageSize - address;
}

} // namespace

void RtcBus::setPartRow(int row)
{
    partRow_ = (row >= 0 && row < kPartCount) ? row : 0;
}

int32_t RtcBus::ReadRegisters(uint8_t subLen, uint8_t address, uint32_t count)
{
    // A run past the end of the image would overwrite whatever follows it.
    if (!fitsImage(address, count)) return KVRX_ERR_BAD_ARG;
    return api_->Read(BoardNo, subLen, part().RtcAddress, address, &data.Regs[address], count);
}

int32_t RtcBus::WriteRegisters(uint8_t subLen, uint8_t address, uint32_t count)
{
    if (!fitsImage(address, count)) return KVRX_ERR_BAD_ARG;
    return api_->Write(BoardNo, subLen, part().RtcAddress, address, &data.Regs[address], count);
}

void RtcBus::ReportResult(const void* sender, const void* control, int32_t code)
{
    if (Succeeded(code)) {
        if (sender != nullptr && sender == control && confirmations_) {
            const std::string done = confirmations_(control);
            if (!done.empty()) sink_->statusText(done);
        }
        return;
    }
    const char* text = api_->ResultStr(code);
    const std::string reason = text != nullptr ? text : "";
    // No sender means start-up or a timer, never a click on the control.
    if (sender != nullptr && sender == control)
        sink_->errorBox("Communication error Occured\r" + reason);
    else
        sink_->statusText(" " + reason);
}

RtcBus::UnlockResult RtcBus::UnlockPart(const void* sender, const void* control)
{
    if (!NeedsUnlock()) return {};

    // The part does not acknowledge while it finishes an internal write.
    UnlockResult done;
    int32_t result;
    do {
        result =
            api_->Read(BoardNo, 2, part().RtcAddress, kTypeEStatus, &data.Regs[kTypeEStatus], 1);
        ++done.Tries;
    } while (!Succeeded(result) && done.Tries < kAckPollLimit);

    done.Code = EnableTypeEWrites();
    ReportResult(sender, control, done.Code);
    return done;
}

int32_t RtcBus::EnableTypeEWrites()
{
    const uint8_t slave = part().RtcAddress;
    uint8_t work = kWel;
    const int32_t result = api_->Write(BoardNo, 2, slave, kTypeEStatus, &work, 1);
    if (!Succeeded(result)) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    work = kWelRwel;
    return api_->Write(BoardNo, 2, slave, kTypeEStatus, &work, 1);
}
