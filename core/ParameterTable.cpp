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
    {"seed", "seed", "--seed", "seed", ParameterKind::Seed, &GEO_MakeLand::seed, 0,
     18446744073709551615.0, false, 4294967295.0, Kind::None, 0, 0, "seed"},
    {"width", "width", "--width", "width", ParameterKind::Integer, &GEO_MakeLand::width, minSize,
     maxCliSize, false, maxSize, Kind::None, 0, 0, "width (X length)"},
    {"height", "height", "--height", "height", ParameterKind::Integer, &GEO_MakeLand::height,
     minSize, maxCliSize, false, maxSize, Kind::None, 0, 0, "height (Y length)"},
    {"pointCount", "concentrationPointCount", "--points", "points", ParameterKind::Integer,
     &GEO_MakeLand::concentrationPointCount, minPoints, maxPoints, false, maxPoints, Kind::None, 0,
     0, "concentration points"},
    {"processAmount", "processAmount", "--process-amount", "process-amount",
     ParameterKind::Fraction, &GEO_MakeLand::processAmount, 0, maxProcessAmount, true,
     maxProcessAmount, Kind::Thousandths, 1, 1, "processing (stamps per 1000 cells)"},
    {"concentrationRate", "concentrationRate", "--concentration-rate", "concentration-rate",
     ParameterKind::Fraction, &GEO_MakeLand::concentrationRate, 0, 1, false, 1, Kind::Fine, 0, 10,
     "concentration rate (share pulled)"},
    {"concentrationAmount", "concentrationAmount", "--concentration-amount", "concentration-amount",
     ParameterKind::Fraction, &GEO_MakeLand::concentrationAmount, 0, 1, false, 1, Kind::Fine, 0, 10,
     "concentration amount (how far)"},
    {"unitAmount", "unitAmount", "--unit-amount", "unit-amount", ParameterKind::Integer,
     &GEO_MakeLand::unitAmount, minUnitAmount, maxUnitAmount, false, maxUnitAmount, Kind::Whole,
     minUnitAmount, 10, "unit amount (largest disc)"},
    {"waterLevel", "waterLevel", "--water-level", "water-level", ParameterKind::Fraction,
     &GEO_MakeLand::waterLevel, 0, 1, false, 1, Kind::Fine, 1, 10, "water level"},
    // Hand placement comes with its points: --point, and the page's own keys.
    {"manualPlacement", "manualPlacement", "", "", ParameterKind::Flag,
     &GEO_MakeLand::manualPlacement, 0, 1, false, 1, Kind::None, 0, 0,
     "place the points by hand: click the map"},
    {"keepRandomState", "keepRandomState", "--keep-random-state", "keep-random-state",
     ParameterKind::Flag, &GEO_MakeLand::keepRandomState, 0, 1, false, 1, Kind::None, 0, 0,
     "no random re-initialisation (continue the random source)"},
    // glenvar-cli counts threads (--threads 1 or 2), the page's address too.
    {"twoThreads", "", "", "", ParameterKind::Flag, &GEO_MakeLand::twoThreads, 0, 1, false, 1,
     Kind::None, 0, 0, "two threads (same map; the page computes on one)"},
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
