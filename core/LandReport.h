#pragma once
// The land statistics report: share of land and a histogram of altitudes in
// ten absolute bands, with \r\n line ends. Plain C++ so the command-line tool
// shares it.

#include "core/LandCell.h"

#include <cstddef>
#include <string>

#include <cstdint>

// The counts the report is written from.
struct LandFigures {
    size_t cells = 0;
    int32_t land = 0;        // above the water level
    int32_t bands[10] = {};  // [k/10, (k+1)/10), the last band up to 1 and beyond
    int32_t lowest = 0;      // altitude exactly 0
    int32_t highest = 0;     // altitude exactly 1
    // Percent of the cells, 0.0 without cells.
    double Share(int32_t counter) const;
};

// The lower bounds of bands 1..9.
inline constexpr double landBandBounds[9] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};

LandFigures CountLand(const LandCell* cells, size_t count, double waterLevel);

// The desktop program's report is Japanese; the page also words it in English.
enum class ReportLanguage { Japanese, English };

std::string BuildLandReport(const LandCell* cells, size_t count, double waterLevel,
                            ReportLanguage language = ReportLanguage::Japanese);
