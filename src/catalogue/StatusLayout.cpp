#include "StatusLayout.h"

namespace {

constexpr StatusRead kNoRead = {0, 1, 0};

constexpr StatusReads kReadsNoneAB = {{0x07, 1, 1}, kNoRead};
constexpr StatusReads kReadsE = {{0x3F, 2, 1}, kNoRead};
constexpr StatusReads kReadsC = {{0x0B, 1, 1}, {0x01, 1, 1}};
constexpr StatusReads kReadsK = {{0x07, 1, 1}, {0x01, 1, 1}};
constexpr StatusReads kReadsD = {{0x07, 1, 1}, kNoRead};
constexpr StatusReads kReadsF = {{0x08, 1, 2}, kNoRead};
constexpr StatusReads kReadsG = {{0x0F, 1, 1}, kNoRead};
constexpr StatusReads kReadsH = {{0x07, 1, 1}, kNoRead};
constexpr StatusReads kReadsJ = {{0x07, 1, 1}, kNoRead};

} // namespace

const StatusReads& StatusReadsFor(PartType type)
{
    switch (type) {
    case TypeE:
        return kReadsE;
    case TypeC:
        return kReadsC;
    case TypeK:
        return kReadsK;
    case TypeD:
        return kReadsD;
    case TypeF:
        return kReadsF;
    case TypeG:
        return kReadsG;
    case TypeH:
        return kReadsH;
    case TypeJ:
        return kReadsJ;
    case TypeNone:
    case TypeA:
    case TypeB:
        break;
    }
    return kReadsNoneAB;
}

const LampBit* BitFor(const StatusLamp& lamp, PartType type)
{
    for (const LampBit& bit : lamp.Bits) {
        if (bit.Types.contains(type)) return &bit;
    }
    return nullptr;
}
