#pragma once
// The land statistics report: share of land and a histogram of altitudes in
// ten absolute bands, with \r\n line ends. Plain C++ so the command-line tool
// shares it.

#include "core/LandCell.h"

#include <cstddef>
#include <string>

std::string BuildLandReport(const LandCell* cells, size_t count, double waterLevel);
