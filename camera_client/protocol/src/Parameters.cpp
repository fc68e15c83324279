// The parameter table, record access by item, firmware generation and variants.
#include "kl7700/Parameters.h"

#include <cassert>

namespace kl7700 {

namespace {

using R = ReadRule;
using P = ParameterRecord;

// Letter, field, set width, send offset, read rule, defaults (old, new firmware),
// base limits. Items without limits of their own carry the range of the bits the
// rules check (timing mode, sync source, baud index, Camera Link mode).
constexpr std::array<ParameterEntry, kParameterCount> kTable = {{
    {Item::A, 'A', &P::A, 3, 0, R::Clamped, 0, 0, 0, 2},
    {Item::B, 'B', &P::B, 3, 0, R::Clamped, 0, 0, 0, 2},
    {Item::C, 'C', &P::C, 1, 0, R::Raw, 0, 0, 0, 0},
    {Item::D, 'D', &P::D, 0, 0, R::Flag, 0, 0, 0, 1},
    {Item::E, 'E', &P::E, 8, 0, R::Clamped, 1727, 1726, 1, 100000},
    {Item::F, 'F', &P::F, 8, 0, R::Clamped, 1728, 1727, 1, 100000},
    {Item::G, 'G', &P::G, 1, 0, R::Clamped, 0, 0, 0, 2},
    {Item::I, 'I', &P::I, 2, 0, R::Clamped, 1, 1, 1, 255},
    {Item::J, 'J', &P::J, 2, 0, R::Raw, 0, 0, 0, 3},
    {Item::K, 'K', &P::K, 4, 0, R::Clamped, 167, 167, 1, 1024},
    {Item::M, 'M', &P::M, 2, 0, R::Raw, 0, 0, 0, 3},
    {Item::N, 'N', &P::N, 4, 1, R::CountClamped, 1726, 1726, 1, 1728},
    {Item::S, 'S', &P::S, 2, 0, R::CameraLink, 0, 0, 0, 7},
    {Item::T, 'T', &P::T, 2, 0, R::Raw, 3, 3, 0, 3},
    {Item::U, 'U', &P::U, 2, 0, R::Raw, 0, 0, 0, 0},
    {Item::W, 'W', &P::W, 2, 0, R::Clamped, 24, 24, 0, 255},
    {Item::s, 's', &P::s, 2, 0, R::Raw, 0x2A, 0x2A, 0, 10},
}};

constexpr bool tableFollowsItemOrder()
{
    for (size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<size_t>(kTable[i].item) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsItemOrder(), "the parameter table is indexed by Item");

struct VariantName {
    int32_t code;
    std::string_view text;
};

constexpr VariantName kVariants[] = {
    {0x0000, "= 1064000: KL-7700 / C-Mount."},
    {0x0001, "= 1064001: KL-7700 / F-Mount."},
    {0x0002, "= 1064002: KL-7700 / EF-Mount."},
    {0x0010, "= 1064010: KL-7700C / C-Mount."},
    {0x0011, "= 1064011: KL-7700C / F-Mount."},
    {0x0012, "= 1064012: KL-7700C / EF-Mount."},
    {0x4000, "= 4064000: Sorvel SX-20B."},
    {0x4001, "= 4064001: Sorvel SX-20B F-Mount."},
    {0x4002, "= 4064002: Sorvel SX-20B EF-Mount."},
    {0x4012, "= 4064002: Sorvel SX-20B EF-Mount."},
    {0x4010, "= 4064010: Sorvel SX-20C."},
    {0x4011, "= 4064011: Sorvel SX-20C F-Mount."},
    {0x4020, "= 4064020: Sorvel SX-20B 200fps."},
    {0x4021, "= 4064021: Sorvel SX-20B F-Mount 200fps."},
    {0x4022, "= 4064022: Sorvel SX-20B EF-Mount 200fps."},
    {0x4030, "= 4064030: Sorvel SX-20C 200fps."},
    {0x4031, "= 4064031: Sorvel SX-20C F-Mount 200fps."},
    {0x4032, "= 4064032: Sorvel SX-20C EF-Mount 200fps."},
    {0xFFFF, "= 0000000: Unknown / Testversion."},
};

} // namespace

const std::array<ParameterEntry, kParameterCount>& parameterTable() { return kTable; }

const ParameterEntry& parameterEntry(Item item)
{
    assert(isParameter(item));
    return kTable[static_cast<size_t>(item)];
}

const ParameterEntry* parameterEntryByLetter(char letter)
{
    for (const auto& entry : kTable) {
        if (entry.letter == letter) {
            return &entry;
        }
    }
    return nullptr;
}

Parameter& ParameterRecord::operator[](Item item) { return this->*parameterEntry(item).field; }
const Parameter& ParameterRecord::operator[](Item item) const { return this->*parameterEntry(item).field; }

bool isNewFirmware(const ParameterRecord& record)
{
    return record.versionField3 != 0 && record.versionField4 >= 7;
}

int firmwareOffset(const ParameterRecord& record) { return isNewFirmware(record) ? 2 : 3; }

bool is200FpsVariant(int32_t code)
{
    switch (code) {
    case 0x4020:
    case 0x4021:
    case 0x4022:
    case 0x4030:
    case 0x4031:
    case 0x4032:
        return true;
    default:
        return false;
    }
}

std::string_view variantText(int32_t code)
{
    for (const auto& variant : kVariants) {
        if (variant.code == code) {
            return variant.text;
        }
    }
    return "Unknown.";
}

bool isRecognisedCameraName(std::string_view name)
{
    return name.find("KL-7700") != std::string_view::npos || name.find("Sorvel") != std::string_view::npos;
}

} // namespace kl7700
