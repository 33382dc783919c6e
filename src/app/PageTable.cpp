#include "app/PageTable.h"

#include <array>

#include "app/setup/SetupCodec.h"
#include "app/setup/SetupPage.h"
#include "clock/SetClockCodec.h"
#include "clock/SetClockPage.h"
#include "pages/alarm/AlarmCodec.h"
#include "pages/alarm/AlarmPage.h"
#include "pages/dst/DstCodec.h"
#include "pages/dst/DstPage.h"
#include "pages/event/EventCodec.h"
#include "pages/event/EventPage.h"
#include "pages/graph/GraphPage.h"
#include "pages/interrupt/InterruptCodec.h"
#include "pages/interrupt/InterruptPage.h"
#include "pages/memory/MemoryCodec.h"
#include "pages/memory/MemoryPage.h"
#include "pages/port/PortCodec.h"
#include "pages/port/PortPage.h"
#include "pages/power/PowerCodec.h"
#include "pages/power/PowerPage.h"
#include "pages/sysmgmt/SysMgmtCodec.h"
#include "pages/sysmgmt/SysMgmtPage.h"
#include "pages/tempcomp/TempCompCodec.h"
#include "pages/tempcomp/TempCompPage.h"
#include "pages/trim/TrimCodec.h"
#include "pages/trim/TrimPage.h"
#include "registers/RegistersCodec.h"
#include "registers/RegistersPage.h"

namespace {

template <class Page> QWidget* make(PageContext& context)
{
    return new Page(context);
}

template <class Page> void startUp(QWidget* page)
{
    if (auto* built = qobject_cast<Page*>(page)) built->StartUp();
}

constexpr const char* kSetupBoard[] = {"VccChecked"};
constexpr const char* kSetClockBoard[] = {"BtnSetRTC", "BtnGetRTC", "BtnSetRTCtoPC",
                                          "BtnSetRTCfromPC"};
constexpr const char* kRegistersBoard[] = {
    "PageWrBtn", "PageRdBtn", "WrBtn0", "WrBtn1", "WrBtn2", "WrBtn3", "WrBtn4", "WrBtn5", "WrBtn6",
    "WrBtn7",    "RdBtn0",    "RdBtn1", "RdBtn2", "RdBtn3", "RdBtn4", "RdBtn5", "RdBtn6", "RdBtn7"};
constexpr const char* kMemoryBoard[] = {"BtnRdEeprom", "BtnWrEeprom"};
constexpr const char* kInterruptBoard[] = {"BtnRdInt", "BtnWrInt", "BtnReadTimer", "BtnWriteTimer",
                                           "bntClearTimer"};
constexpr const char* kAlarmBoard[] = {"BtnRdAlarm",        "BtnWrAlarm",        "BtnClrAlarm",
                                       "BtnRdAlarm0",       "BtnWriteAlarm0",    "BtnClrAlarm0",
                                       "Btn_Read_IRQ_Mode", "Btn_Write_IRQ_Mode"};
constexpr const char* kEventBoard[] = {"BtnRdEvent", "BtnWrEvent", "BtnClrEvent", "LastEventBtn"};
constexpr const char* kTrimBoard[] = {"BtnRdXtl", "BtnWrXtl"};
constexpr const char* kSysMgmtBoard[] = {"BtnReadVTS",       "BtnWriteVTS", "BtnWatchDogRead",
                                         "BtnWatchDogWrite", "BtnReadAC",   "BtnWriteAC"};
constexpr const char* kDstBoard[] = {"BtnReadDSTF", "BtnWriteDSTF"};
// The write button's holder: the button itself also follows the TSE rule.
constexpr const char* kTempCompBoard[] = {"BtnRDTemp", "WrTempHolder", "BtnRdTempMode",
                                          "BtnWrTempMode"};
constexpr const char* kPowerBoard[] = {"BtnReadVDDTIP",   "BtnWriteVDDTIP",    "BtnReadBATTRIP",
                                       "BtnWriteBATTRIP", "BtnReadTimeStamps", "BtnClearTStamps",
                                       "BtnReadTrickK",   "BtnWriteTrick"};

// What the status bar says after a click's transfers succeeded. Buttons whose
// handler gives the status bar a text of its own (the alarm reads' "Cleared ",
// the PC clock's answer, the register page's runs) are not listed.
constexpr ControlConfirmation kSetClockDone[] = {{"BtnSetRTC", " Clock written"},
                                                 {"BtnGetRTC", " Clock read"},
                                                 {"BtnSetRTCfromPC", " Clock written from PC"}};
constexpr ControlConfirmation kMemoryDone[] = {{"BtnRdEeprom", " Memory read"},
                                               {"BtnWrEeprom", " Memory written"}};
constexpr ControlConfirmation kInterruptDone[] = {{"BtnRdInt", " Interrupt read"},
                                                  {"BtnWrInt", " Interrupt written"},
                                                  {"BtnReadTimer", " Timer read"},
                                                  {"BtnWriteTimer", " Timer written"},
                                                  {"bntClearTimer", " Timer flag cleared"}};
constexpr ControlConfirmation kAlarmDone[] = {{"BtnWrAlarm", " Alarm 1 written"},
                                              {"BtnClrAlarm", " Alarm 1 flag cleared"},
                                              {"BtnWriteAlarm0", " Alarm 2 written"},
                                              {"BtnClrAlarm0", " Alarm 2 flag cleared"},
                                              {"Btn_Read_IRQ_Mode", " IRQ usage read"},
                                              {"Btn_Write_IRQ_Mode", " IRQ usage written"}};
constexpr ControlConfirmation kEventDone[] = {{"BtnRdEvent", " Event settings read"},
                                              {"BtnWrEvent", " Event settings written"},
                                              {"BtnClrEvent", " Flags cleared"},
                                              {"LastEventBtn", " Time stamps read"}};
constexpr ControlConfirmation kTrimDone[] = {{"BtnRdXtl", " Trim read"},
                                             {"BtnWrXtl", " Trim written"}};
constexpr ControlConfirmation kSysMgmtDone[] = {{"BtnReadVTS", " Reset threshold read"},
                                                {"BtnWriteVTS", " Reset threshold written"},
                                                {"BtnWatchDogRead", " Watchdog read"},
                                                {"BtnWatchDogWrite", " Watchdog written"},
                                                {"BtnReadAC", " AC input read"},
                                                {"BtnWriteAC", " AC input written"}};
constexpr ControlConfirmation kDstDone[] = {{"BtnReadDSTF", " DST registers read"},
                                            {"BtnWriteDSTF", " DST registers written"}};
constexpr ControlConfirmation kTempCompDone[] = {{"BtnRDTemp", " Compensation registers read"},
                                                 {"BtnWRTemp", " Compensation registers written"},
                                                 {"BtnRdTempMode", " Mode register read"},
                                                 {"BtnWrTempMode", " Mode register written"}};
constexpr ControlConfirmation kPowerDone[] = {{"BtnReadVDDTIP", " VDD trip level read"},
                                              {"BtnWriteVDDTIP", " VDD trip level written"},
                                              {"BtnReadBATTRIP", " Battery trip levels read"},
                                              {"BtnWriteBATTRIP", " Battery trip levels written"},
                                              {"BtnReadTimeStamps", " Time stamps read"},
                                              {"BtnClearTStamps", " Time stamps cleared"},
                                              {"BtnReadTrickK", " Trickle charger read"},
                                              {"BtnWriteTrick", " Trickle charger written"}};

template <class Page> void readOnShow(QWidget* page)
{
    if (auto* built = qobject_cast<Page*>(page)) built->ReadOnShow();
}

bool RealPart(const PartInfo& part)
{
    return part.TypeCode != TypeNone;
}

// Tab order. Pages without a builder yet stay empty pages of their name.
constexpr std::array<PageRow, 14> kPages{{
    {.Name = "tsSetup",
     .Caption = "Setup",
     .Make = make<SetupPage>,
     .PartSettings = &kSetupPageSettings,
     .BoardControls = kSetupBoard,
     .Lamps = kSetupLamps,
     .Tab = TabRule::Always},
    {.Name = "tsSetTime",
     .Caption = "Set Clock",
     .Make = make<SetClockPage>,
     .PartSettings = &kSetClockPageSettings,
     .BoardControls = kSetClockBoard,
     .ShownFor = RealPart,
     .StartUp = startUp<SetClockPage>,
     .Phase = StartUpPhase::AfterPartChoice,
     .ReadOnShow = readOnShow<SetClockPage>,
     .Confirmations = kSetClockDone},
    {.Name = "tsReg",
     .Caption = "Registers",
     .Make = make<RegistersPage>,
     .PartSettings = &kRegistersPageSettings,
     .BoardControls = kRegistersBoard,
     .ShownFor = RealPart,
     .ReadOnShow = readOnShow<RegistersPage>},
    {.Name = "tsMemory",
     .Caption = "EEPROM",
     .Make = make<MemoryPage>,
     .PartSettings = &kMemoryPageSettings,
     .BoardControls = kMemoryBoard,
     .ShownFor = [](const PartInfo& part) { return part.EepromBytes != 0; },
     .ReadOnShow = readOnShow<MemoryPage>,
     .Confirmations = kMemoryDone},
    {.Name = "tsGraph",
     .Caption = "Graph",
     .Make = make<GraphPage>,
     .ShownFor = [](const PartInfo& part) { return part.HasGraph != 0; },
     .StartUp = startUp<GraphPage>,
     .Phase = StartUpPhase::BeforePolling},
    {.Name = "tsInterrupt",
     .Caption = "Interrupt",
     .Make = make<InterruptPage>,
     .PartSettings = &kInterruptPageSettings,
     .BoardControls = kInterruptBoard,
     .Lamps = kInterruptLamps,
     .ShownFor = [](const PartInfo& part) { return part.HasIrqOutput != 0; },
     .ReadOnShow = readOnShow<InterruptPage>,
     .Confirmations = kInterruptDone},
    {.Name = "tsAlarm",
     .Caption = "Alarm",
     .Make = make<AlarmPage>,
     .PartSettings = &kAlarmPageSettings,
     .BoardControls = kAlarmBoard,
     .Lamps = kAlarmLamps,
     .ShownFor = [](const PartInfo& part) { return part.AlarmCount != 0; },
     .ReadOnShow = readOnShow<AlarmPage>,
     .Confirmations = kAlarmDone},
    {.Name = "tsEvent",
     .Caption = "Event",
     .Make = make<EventPage>,
     .PartSettings = &kEventPageSettings,
     .BoardControls = kEventBoard,
     .Lamps = kEventLamps,
     .ShownFor = [](const PartInfo& part) { return part.HasEventDetect != 0; },
     .ReadOnShow = readOnShow<EventPage>,
     .Confirmations = kEventDone},
    {.Name = "tsComp",
     .Caption = "Crystal Comp.",
     .Make = make<TrimPage>,
     .PartSettings = &kTrimPageSettings,
     .BoardControls = kTrimBoard,
     .ShownFor = [](const PartInfo& part) { return part.HasCrystalTrim != 0; },
     .ReadOnShow = readOnShow<TrimPage>,
     .Confirmations = kTrimDone},
    {.Name = "tsPort",
     .Caption = "Port",
     .Make = make<PortPage>,
     .PartSettings = &kPortPageSettings,
     .Tab = TabRule::WithSwitch,
     .StartUp = startUp<PortPage>,
     .Phase = StartUpPhase::AfterSwitch},
    {.Name = "tsSysMgmt",
     .Caption = "SysMgmt",
     .Make = make<SysMgmtPage>,
     .PartSettings = &kSysMgmtPageSettings,
     .BoardControls = kSysMgmtBoard,
     .Lamps = kSysMgmtLamps,
     .ShownFor = [](const PartInfo& part) { return part.HasWatchdog != 0; },
     .ReadOnShow = readOnShow<SysMgmtPage>,
     .Confirmations = kSysMgmtDone},
    {.Name = "tsDST",
     .Caption = "DST",
     .Make = make<DstPage>,
     .PartSettings = &kDstPageSettings,
     .BoardControls = kDstBoard,
     .Lamps = kDstLamps,
     .Tab = TabRule::ByFamilyBlock,
     .ReadOnShow = readOnShow<DstPage>,
     .Confirmations = kDstDone},
    {.Name = "tsTCOMP",
     .Caption = "TempComp",
     .Make = make<TempCompPage>,
     .PartSettings = &kTempCompPageSettings,
     .BoardControls = kTempCompBoard,
     .Tab = TabRule::ByFamilyBlock,
     .ReadOnShow = readOnShow<TempCompPage>,
     .Confirmations = kTempCompDone},
    {.Name = "tsPWR",
     .Caption = "PwrMgmt",
     .Make = make<PowerPage>,
     .PartSettings = &kPowerPageSettings,
     .BoardControls = kPowerBoard,
     .Lamps = kPowerLamps,
     .Tab = TabRule::ByFamilyBlock,
     .ReadOnShow = readOnShow<PowerPage>,
     .Confirmations = kPowerDone},
}};

} // namespace

std::span<const PageRow> Pages()
{
    return kPages;
}

const PageRow* FindPage(std::span<const PageRow> rows, std::string_view name)
{
    for (const PageRow& row : rows) {
        if (name == row.Name) return &row;
    }
    return nullptr;
}

const PageRow* PageOfLamp(std::span<const PageRow> rows, std::string_view lamp)
{
    for (const PageRow& row : rows) {
        for (const StatusLamp& held : row.Lamps) {
            if (lamp == held.Name) return &row;
        }
    }
    return nullptr;
}

std::vector<StatusLamp> LampsOf(std::span<const PageRow> rows)
{
    std::vector<StatusLamp> lamps;
    for (const PageRow& row : rows)
        lamps.insert(lamps.end(), row.Lamps.begin(), row.Lamps.end());
    return lamps;
}

namespace {

int RowInTable(int partRow)
{
    return partRow >= 0 && partRow < kPartCount ? partRow : 0;
}

// The lists of the page's table a part choice of partRow applies, in order.
std::vector<SettingList> ChoiceLists(const PageRow& row, int partRow)
{
    if (row.PartSettings == nullptr) return {};
    return {row.PartSettings->Base,
            row.PartSettings->Blocks[static_cast<size_t>(TypeBlockFor(partRow))]};
}

} // namespace

bool TabShownFor(const PageRow& row, int partRow)
{
    const PartInfo& part = PartTable[static_cast<size_t>(RowInTable(partRow))];
    bool shown = row.Tab == TabRule::Always ||
                 (row.Tab == TabRule::ByPart && row.ShownFor != nullptr && row.ShownFor(part));
    for (const SettingList list : ChoiceLists(row, partRow)) {
        if (const ControlSetting* last = FinalSetting(list, row.Name, Prop::Visible))
            shown = last->Number != 0;
    }
    return shown;
}

std::vector<std::string> TabCaptionsFor(const PageRow& row, int partRow)
{
    const ControlSetting* given = nullptr;
    for (const SettingList list : ChoiceLists(row, partRow)) {
        if (const ControlSetting* last = FinalSetting(list, row.Name, Prop::Caption)) given = last;
    }
    if (given != nullptr) return {given->Text};
    std::vector<std::string> captions{row.Caption};
    if (row.PartSettings == nullptr) return captions;
    auto collect = [&](SettingList list) {
        for (const ControlSetting& setting : list) {
            if (setting.Property == Prop::Caption && setting.Control != nullptr &&
                std::string_view(setting.Control) == row.Name)
                captions.emplace_back(setting.Text);
        }
    };
    collect(row.PartSettings->Base);
    for (const SettingList block : row.PartSettings->Blocks)
        collect(block);
    return captions;
}
