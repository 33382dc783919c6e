#include "app/PageTable.h"

#include <array>

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

using Names = std::span<const char* const>;

constexpr const char* kSetupLamps[] = {"LedRTCF",   "LedBAT",     "LedALM",  "LedEVT",
                                       "LedAlarm2", "LedOSCfail", "CBSLed2", "CBSLed3",
                                       "CBSLed8",   "CBSLed9",    "CBSLed10"};
constexpr const char* kSetupBoard[] = {"VccChecked"};
constexpr const char* kSetClockBoard[] = {"BtnSetRTC", "BtnGetRTC", "BtnSetRTCtoPC",
                                          "BtnSetRTCfromPC"};
constexpr const char* kRegistersBoard[] = {
    "PageWrBtn", "PageRdBtn", "WrBtn0", "WrBtn1", "WrBtn2", "WrBtn3", "WrBtn4", "WrBtn5", "WrBtn6",
    "WrBtn7",    "RdBtn0",    "RdBtn1", "RdBtn2", "RdBtn3", "RdBtn4", "RdBtn5", "RdBtn6", "RdBtn7"};
constexpr const char* kMemoryBoard[] = {"BtnRdEeprom", "BtnWrEeprom"};
constexpr const char* kInterruptBoard[] = {"BtnRdInt", "BtnWrInt", "BtnReadTimer", "BtnWriteTimer",
                                           "bntClearTimer"};
constexpr const char* kInterruptLamps[] = {"CBSLed11"};
constexpr const char* kAlarmBoard[] = {"BtnRdAlarm",        "BtnWrAlarm",        "BtnClrAlarm",
                                       "BtnRdAlarm0",       "BtnWriteAlarm0",    "BtnClrAlarm0",
                                       "Btn_Read_IRQ_Mode", "Btn_Write_IRQ_Mode"};
constexpr const char* kAlarmLamps[] = {"LedAlarm", "LedAlarm0"};
constexpr const char* kEventBoard[] = {"BtnRdEvent", "BtnWrEvent", "BtnClrEvent", "LastEventBtn"};
constexpr const char* kEventLamps[] = {"LedEvent"};
constexpr const char* kTrimBoard[] = {"BtnRdXtl", "BtnWrXtl"};
constexpr const char* kSysMgmtBoard[] = {"BtnReadVTS",       "BtnWriteVTS", "BtnWatchDogRead",
                                         "BtnWatchDogWrite", "BtnReadAC",   "BtnWriteAC"};
constexpr const char* kSysMgmtLamps[] = {"CBSLed5", "CBSLed6", "CBSLed7"};
constexpr const char* kDstBoard[] = {"BtnReadDSTF", "BtnWriteDSTF"};
constexpr const char* kDstLamps[] = {"CBSLedDSTCHNG"};
// The write button's holder: the button itself also follows the TSE rule.
constexpr const char* kTempCompBoard[] = {"BtnRDTemp", "WrTempHolder", "BtnRdTempMode",
                                          "BtnWrTempMode"};
constexpr const char* kPowerBoard[] = {"BtnReadVDDTIP",   "BtnWriteVDDTIP",    "BtnReadBATTRIP",
                                       "BtnWriteBATTRIP", "BtnReadTimeStamps", "BtnClearTStamps",
                                       "BtnReadTrickK",   "BtnWriteTrick"};
constexpr const char* kPowerLamps[] = {"CBSLedVDDTRIP", "CBSLed85BTRIP", "CBSLed75BTRIP"};

// Tab order. Pages without a builder yet stay empty pages of their name.
constexpr std::array<PageRow, 14> kPages{{
    {"tsSetup", "Setup", make<SetupPage>, nullptr, kSetupBoard, kSetupLamps},
    {"tsSetTime",
     "Set Clock",
     make<SetClockPage>,
     &kSetClockPageSettings,
     kSetClockBoard,
     {},
     startUp<SetClockPage>},
    {"tsReg", "Registers", make<RegistersPage>, &kRegistersPageSettings, kRegistersBoard, {}},
    {"tsMemory", "EEPROM", make<MemoryPage>, &kMemoryPageSettings, kMemoryBoard, {}},
    {"tsGraph", "Graph", make<GraphPage>, nullptr, {}, {}, startUp<GraphPage>},
    {"tsInterrupt", "Interrupt", make<InterruptPage>, &kInterruptPageSettings, kInterruptBoard,
     kInterruptLamps},
    {"tsAlarm", "Alarm", make<AlarmPage>, &kAlarmPageSettings, kAlarmBoard, kAlarmLamps},
    {"tsEvent", "Event", make<EventPage>, &kEventPageSettings, kEventBoard, kEventLamps},
    {"tsComp", "Crystal Comp.", make<TrimPage>, &kTrimPageSettings, kTrimBoard, {}},
    {"tsPort", "Port", make<PortPage>, &kPortPageSettings, {}, {}, startUp<PortPage>},
    {"tsSysMgmt", "SysMgmt", make<SysMgmtPage>, &kSysMgmtPageSettings, kSysMgmtBoard,
     kSysMgmtLamps},
    {"tsDST", "DST", make<DstPage>, &kDstPageSettings, kDstBoard, kDstLamps},
    {"tsTCOMP", "TempComp", make<TempCompPage>, &kTempCompPageSettings, kTempCompBoard, {}},
    {"tsPWR", "PwrMgmt", make<PowerPage>, &kPowerPageSettings, kPowerBoard, kPowerLamps},
}};

} // namespace

std::span<const PageRow> Pages()
{
    return kPages;
}

const PageRow* FindPage(std::string_view name)
{
    for (const PageRow& row : kPages) {
        if (name == row.Name) return &row;
    }
    return nullptr;
}

const PageRow* PageOfLamp(std::string_view lamp)
{
    for (const PageRow& row : kPages) {
        for (const char* name : row.Lamps) {
            if (lamp == name) return &row;
        }
    }
    return nullptr;
}
