#pragma once
// Every generation parameter once: the terrain field that holds it, its names
// in glenvar-cli, the JSON report and the page's address, the range each front
// end keeps it in, the slider that shows it and a short description. Defaults
// are those of a new terrain, never written out again. glenvar-cli's options,
// help and completion, `info --json`, the dialog's ranges, the web bindings
// and the page's form all read this table.

#include "core/GEO_MakeLand.h"
#include "core/SliderScale.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

enum class ParameterKind {
    Seed,      // 64 bits, typed as a decimal integer
    Integer,   // 32 bits
    Fraction,  // a double
    Flag,      // 0 or 1 in the terrain, true or false outside
};

struct ParameterRow {
    using Field =
        std::variant<uint64_t GEO_MakeLand::*, int32_t GEO_MakeLand::*, double GEO_MakeLand::*>;

    std::string_view name;         // the page's and the bindings' key
    std::string_view json = "";    // `info --json`'s key; "" when the report leaves it out
    std::string_view option = "";  // glenvar-cli's option; "" when it has none of its own
    std::string_view link = "";    // the page address's key; "" when the page spells it its own way
    ParameterKind kind;
    Field field;
    // What glenvar-cli accepts (low excluded when lowOpen); the seed's range is its type's.
    double low = 0, high = 0;
    bool lowOpen = false;
    // The dialog's and the page's edits stop here where they are narrower.
    double editHigh = 0;
    SliderScale::Kind slider = SliderScale::Kind::None;
    int32_t sliderLow = 0;  // the slider's lowest position; its highest shows `high`
    int32_t sliderPage = 0;
    std::string_view description = "";

    // Integers and flags as numbers; the seed only approximately.
    double Number(const GEO_MakeLand& terrain) const;
    void SetNumber(GEO_MakeLand& terrain, double value) const;
    void Copy(const GEO_MakeLand& from, GEO_MakeLand& to) const;
    // The shortest decimal text that reads back as the same value.
    std::string Text(const GEO_MakeLand& terrain) const;
    std::string DefaultText() const;
    double Default() const;
    int32_t SliderHigh() const { return SliderScale::Position(slider, high); }
};

std::span<const ParameterRow> ParameterTable();
// The row named so in any of its names (page key, JSON key or option); nullptr if none.
const ParameterRow* FindParameter(std::string_view anyName);
// A terrain as it is made: the defaults.
const GEO_MakeLand& NewTerrain();
// The shortest decimal text that reads back as the same double.
std::string ShortestText(double value);
