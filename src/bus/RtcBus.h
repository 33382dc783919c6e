// Register image and the transfer steps every page uses. A page's own state
// lives in the page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "PartTable.h"
#include "bus/AdapterApi.h"
#include "bus/Result.h"

// The one application record.
struct rtcDataRec {
    uint8_t Regs[256] = {};
    int32_t PageStart = -1;
    int32_t PageCount = 0;
    int32_t TempOffset = 0;
    uint32_t ElapsedSeconds = 0;
    std::string ExeDir;
    std::string LastFile;
};

// Where results reach the user. The window shows boxes and status texts;
// tests and scripts record them.
class ResultSink {
  public:
    virtual ~ResultSink() = default;
    virtual void errorBox(const std::string& text) = 0;   // modal error box
    virtual void statusText(const std::string& text) = 0; // status bar panel 3
};

// Shared context of all pages: the selected part, the open board, the image.
class RtcBus {
  public:
    RtcBus(const AdapterApi& api, ResultSink& sink) : api_(&api), sink_(&sink) {}

    const AdapterApi& api() const { return *api_; }
    void setApi(const AdapterApi& api) { api_ = &api; }
    ResultSink& sink() const { return *sink_; }

    // Selected part: a row of PartTable; a row outside the table selects row 0.
    int partRow() const { return partRow_; }
    void setPartRow(int row);
    const PartInfo& part() const { return PartTable[static_cast<size_t>(partRow_)]; }

    uint32_t BoardNo = 0;
    // Board sensor format: 75 (LM75) or 76 (LM76).
    int TempSensor = 75;
    rtcDataRec data;

    // Move count registers from address on between the chip and the image
    // (image offset = register address). A run reaching past the image is
    // refused with KVRX_ERR_BAD_ARG and nothing is transferred.
    int32_t ReadRegisters(uint8_t subLen, uint8_t address, uint32_t count);
    int32_t WriteRegisters(uint8_t subLen, uint8_t address, uint32_t count);

    // sender: the object whose event started the action (may be null);
    // control: the control the action belongs to. A failure of the clicked
    // control's own action opens the error box, any other lands in the status
    // bar. A code that Succeeded shows nothing, except after a click on the
    // control itself: then the control's confirmation, where it has one,
    // goes to the status bar (" Alarm 1 written").
    void ReportResult(const void* sender, const void* control, int32_t code);

    // The confirmation of a control's own action once it succeeded; empty for
    // none. The window looks it up in the page table's rows.
    using Confirmations = std::function<std::string(const void* control)>;
    void setConfirmations(Confirmations confirmations) { confirmations_ = std::move(confirmations); }

    // Only TypeE parts need the write-enable step before a write.
    bool NeedsUnlock() const { return part().TypeCode == TypeE; }

    struct UnlockResult {
        int Tries = 0;    // acknowledge polls
        int32_t Code = 0; // the first failure of the enabling writes, or 0
    };
    // Write enable of TypeE parts: acknowledge polling, then EnableTypeEWrites;
    // control is the unlock action's own control, for ReportResult, which
    // gets Code. Does nothing for other types and returns {0, 0}.
    UnlockResult UnlockPart(const void* sender, const void* control);

    // WEL, a brief pause, then WEL and RWEL to the TypeE status register.
    // A failed WEL write stops it (the part would refuse RWEL); returns the
    // first failure. Callers read the status register first (UnlockPart
    // polls it).
    int32_t EnableTypeEWrites();
    // The TypeE status register, which holds WEL and RWEL.
    static constexpr uint32_t kTypeEStatus = 0x3F;

    // 2 for TypeE parts, 1 for all others.
    uint8_t subAddressLength() const { return part().TypeCode == TypeE ? 2 : 1; }

  private:
    const AdapterApi* api_;
    ResultSink* sink_;
    Confirmations confirmations_;
    int partRow_ = 0;
};
