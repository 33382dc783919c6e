#include "registers/RegistersCodec.h"

namespace {

// Only TypeE parts need the write-enable sequence, so only their block shows
// the unlock controls.
constexpr ControlSetting kUnlockHidden[] = {
    Hide("BtnUnlock"),
    Hide("Label115"),
    Hide("ChkAutoUnlock"),
    Hide("Label52"),
};

constexpr ControlSetting kUnlockShown[] = {
    Show("BtnUnlock"),
    Show("Label115"),
    Show("ChkAutoUnlock"),
    Hide("Label52"),
};

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kRegistersPageSettings = {
    SettingList(),
    {SettingList(kUnlockHidden), kUnlockShown, kUnlockHidden, kUnlockHidden, kUnlockHidden,
     kUnlockHidden, kUnlockHidden, kUnlockHidden, kUnlockHidden},
};
