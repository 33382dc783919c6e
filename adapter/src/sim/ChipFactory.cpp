#include "Chip.h"
#include "ChipModel.h"
#include "FamilyTraits.h"
#include "PartTable.h"

namespace kvrx::sim {

std::unique_ptr<Chip> Chip::create(int partRow, uint32_t seed)
{
    if (partRow < 1 || partRow >= kPartCount) return nullptr;
    const PartInfo& part = PartTable[partRow];
    const FamilyTraits* family = familyTraits(part.TypeCode);
    if (!family || !part.RegisterMap) return nullptr;
    return std::make_unique<ChipModel>(part, *family, seed);
}

} // namespace kvrx::sim
