#include "core/ParameterTable.h"

#include "core/ParameterLimits.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

namespace {

using SliderScale::Kind;

using namespace limits;

// The page's order: its edits, its sliders, the water level, its check boxes.
const ParameterRow rows[] = {
    {.name = "seed",
     .json = "seed",
     .option = "--seed",
     .link = "seed",
     .kind = ParameterKind::Seed,
     .field = &GEO_MakeLand::seed,
     .low = 0,
     .high = 18446744073709551615.0,
     .editHigh = 4294967295.0,  // the dialog's 32 bits
     .description = "seed"},
    {.name = "width",
     .json = "width",
     .option = "--width",
     .link = "width",
     .kind = ParameterKind::Integer,
     .field = &GEO_MakeLand::width,
     .low = minSize,
     .high = maxCliSize,
     .editHigh = maxSize,
     .description = "width (X length)"},
    {.name = "height",
     .json = "height",
     .option = "--height",
     .link = "height",
     .kind = ParameterKind::Integer,
     .field = &GEO_MakeLand::height,
     .low = minSize,
     .high = maxCliSize,
     .editHigh = maxSize,
     .description = "height (Y length)"},
    {.name = "pointCount",
     .json = "concentrationPointCount",
     .option = "--points",
     .link = "points",
     .kind = ParameterKind::Integer,
     .field = &GEO_MakeLand::concentrationPointCount,
     .low = minPoints,
     .high = maxPoints,
     .editHigh = maxPoints,
     .description = "concentration points"},
    {.name = "processAmount",
     .json = "processAmount",
     .option = "--process-amount",
     .link = "process-amount",
     .kind = ParameterKind::Fraction,
     .field = &GEO_MakeLand::processAmount,
     .low = 0,
     .high = maxProcessAmount,
     .lowOpen = true,
     .editHigh = maxProcessAmount,
     .slider = Kind::Thousandths,
     .sliderLow = 1,
     .sliderPage = 1,
     .description = "processing (stamps per 1000 cells)"},
    {.name = "concentrationRate",
     .json = "concentrationRate",
     .option = "--concentration-rate",
     .link = "concentration-rate",
     .kind = ParameterKind::Fraction,
     .field = &GEO_MakeLand::concentrationRate,
     .low = 0,
     .high = 1,
     .editHigh = 1,
     .slider = Kind::Fine,
     .sliderLow = 0,
     .sliderPage = 10,
     .description = "concentration rate (share pulled)"},
    {.name = "concentrationAmount",
     .json = "concentrationAmount",
     .option = "--concentration-amount",
     .link = "concentration-amount",
     .kind = ParameterKind::Fraction,
     .field = &GEO_MakeLand::concentrationAmount,
     .low = 0,
     .high = 1,
     .editHigh = 1,
     .slider = Kind::Fine,
     .sliderLow = 0,
     .sliderPage = 10,
     .description = "concentration amount (how far)"},
    {.name = "unitAmount",
     .json = "unitAmount",
     .option = "--unit-amount",
     .link = "unit-amount",
     .kind = ParameterKind::Integer,
     .field = &GEO_MakeLand::unitAmount,
     .low = minUnitAmount,
     .high = maxUnitAmount,
     .editHigh = maxUnitAmount,
     .slider = Kind::Whole,
     .sliderLow = minUnitAmount,
     .sliderPage = 10,
     .description = "unit amount (largest disc)"},
    {.name = "waterLevel",
     .json = "waterLevel",
     .option = "--water-level",
     .link = "water-level",
     .kind = ParameterKind::Fraction,
     .field = &GEO_MakeLand::waterLevel,
     .low = 0,
     .high = 1,
     .editHigh = 1,
     .slider = Kind::Fine,
     .sliderLow = 1,
     .sliderPage = 10,
     .description = "water level"},
    // Hand placement comes with its points: --point, and the page's own address keys.
    {.name = "manualPlacement",
     .json = "manualPlacement",
     .kind = ParameterKind::Flag,
     .field = &GEO_MakeLand::manualPlacement,
     .low = 0,
     .high = 1,
     .editHigh = 1,
     .description = "place the points by hand: click the map"},
    {.name = "keepRandomState",
     .json = "keepRandomState",
     .option = "--keep-random-state",
     .link = "keep-random-state",
     .kind = ParameterKind::Flag,
     .field = &GEO_MakeLand::keepRandomState,
     .low = 0,
     .high = 1,
     .editHigh = 1,
     .description = "no random re-initialisation (continue the random source)"},
    // glenvar-cli and the page's address count threads (1 or 2); the map file keeps a flag.
    {.name = "twoThreads",
     .kind = ParameterKind::Flag,
     .field = &GEO_MakeLand::twoThreads,
     .low = 0,
     .high = 1,
     .editHigh = 1,
     .description = "two threads (same map; the page computes on one)"},
};

}  // namespace

double ParameterRow::Number(const GEO_MakeLand& terrain) const {
    return std::visit([&terrain](auto member) { return static_cast<double>(terrain.*member); },
                      field);
}

void ParameterRow::SetNumber(GEO_MakeLand& terrain, double value) const {
    std::visit(
        [&terrain, value](auto member) {
            using T = std::remove_reference_t<decltype(terrain.*member)>;
            terrain.*member = static_cast<T>(value);
        },
        field);
}

void ParameterRow::Copy(const GEO_MakeLand& from, GEO_MakeLand& to) const {
    std::visit([&](auto member) { to.*member = from.*member; }, field);
}

std::string ShortestText(double value) {
#if __cpp_lib_to_chars >= 201611L
    char digits[32];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
#else
    // emscripten's library has no floating-point to_chars: the fewest
    // significant digits that read back, as to_chars chooses them.
    char digits[32];
    for (int precision = 1; precision < 17; ++precision) {
        std::snprintf(digits, sizeof digits, "%.*g", precision, value);
        if (std::strtod(digits, nullptr) == value)
            return digits;
    }
    std::snprintf(digits, sizeof digits, "%.17g", value);
    return digits;
#endif
}

std::string ParameterRow::Text(const GEO_MakeLand& terrain) const {
    return std::visit(
        [&terrain](auto member) {
            const auto value = terrain.*member;
            if constexpr (std::is_same_v<decltype(value), const double>)
                return ShortestText(value);
            else
                return std::to_string(value);
        },
        field);
}

std::string ParameterRow::DefaultText() const {
    return Text(NewTerrain());
}

double ParameterRow::Default() const {
    return Number(NewTerrain());
}

std::span<const ParameterRow> ParameterTable() {
    return rows;
}

const ParameterRow* FindParameter(std::string_view anyName) {
    if (anyName.empty())
        return nullptr;
    for (const ParameterRow& row : rows)
        if (row.name == anyName || row.json == anyName || row.option == anyName)
            return &row;
    return nullptr;
}

const GEO_MakeLand& NewTerrain() {
    static const GEO_MakeLand terrain;
    return terrain;
}
