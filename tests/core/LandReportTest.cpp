#include "core/LandReport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

namespace {

std::vector<LandCell> Cells(std::initializer_list<double> altitudes) {
    std::vector<LandCell> cells;
    for (double a : altitudes) {
        LandCell c{};
        c.altitude = a;
        cells.push_back(c);
    }
    return cells;
}

std::string Report(const std::vector<LandCell>& cells, double waterLevel = 0.5) {
    return BuildLandReport(cells.data(), cells.size(), waterLevel);
}

// The report as printf formats it, from already counted values.
std::string Expected(double d, int land, const int bands[10], int lowest, int highest) {
    char text[2048];
    std::snprintf(
        text, sizeof text,
        "陸の割合: %.1f％\r\n\r\n10％未満: %.1f％\r\n10％以上20％未満: %.1f％\r\n"
        "20％以上30％未満: %.1f％\r\n30％以上40％未満: %.1f％\r\n40％以上50％未満: %.1f％\r\n"
        "50％以上60％未満: %.1f％\r\n60％以上70％未満: %.1f％\r\n70％以上80％未満: %.1f％\r\n"
        "80％以上90％未満: %.1f％\r\n90％以上: %.1f％\r\n\r\n最低高度: %d個\r\n最高高度: %d個\r\n",
        land / d, bands[0] / d, bands[1] / d, bands[2] / d, bands[3] / d, bands[4] / d,
        bands[5] / d, bands[6] / d, bands[7] / d, bands[8] / d, bands[9] / d, lowest, highest);
    return text;
}

TEST(LandReport, FourCellExampleByteForByte) {
    EXPECT_EQ(Report(Cells({0.0, 0.25, 0.5, 1.0})), "陸の割合: 25.0％\r\n"
                                                    "\r\n"
                                                    "10％未満: 25.0％\r\n"
                                                    "10％以上20％未満: 0.0％\r\n"
                                                    "20％以上30％未満: 25.0％\r\n"
                                                    "30％以上40％未満: 0.0％\r\n"
                                                    "40％以上50％未満: 0.0％\r\n"
                                                    "50％以上60％未満: 25.0％\r\n"
                                                    "60％以上70％未満: 0.0％\r\n"
                                                    "70％以上80％未満: 0.0％\r\n"
                                                    "80％以上90％未満: 0.0％\r\n"
                                                    "90％以上: 25.0％\r\n"
                                                    "\r\n"
                                                    "最低高度: 1個\r\n"
                                                    "最高高度: 1個\r\n");
}

TEST(LandReport, BandEdgesAndExtremes) {
    struct Case {
        double altitude;
        int band;
        int lowest, highest;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0.0, 0, 1, 0},
        {-0.0, 0, 1, 0},
        {-0.5, 0, 0, 0},
        {std::nextafter(0.1, 0.0), 0, 0, 0},
        {0.1, 1, 0, 0},
        {0.3, 3, 0, 0},
        {std::nextafter(0.9, 0.0), 8, 0, 0},
        {0.9, 9, 0, 0},
        {1.0, 9, 0, 1},
        {1.5, 9, 0, 0},
        {nan, 9, 0, 0},  // no comparison holds: the last band
    };
    for (const Case& c : cases) {
        int bands[10] = {};
        bands[c.band] = 1;
        const int land = c.altitude > 0.5 ? 1 : 0;
        EXPECT_EQ(Report(Cells({c.altitude})), Expected(0.01, land, bands, c.lowest, c.highest))
            << c.altitude;
    }
}

TEST(LandReport, WaterLevelSplitsLandStrictly) {
    const std::string atLevel = Report(Cells({0.4}), 0.4);
    EXPECT_EQ(atLevel.substr(0, atLevel.find("\r\n")), "陸の割合: 0.0％");
    const std::string above = Report(Cells({std::nextafter(0.4, 1.0)}), 0.4);
    EXPECT_EQ(above.substr(0, above.find("\r\n")), "陸の割合: 100.0％");
}

TEST(LandReport, SharesFormatAsPrintfDoes) {
    // Many cell counts, so that shares land on and near the rounding ties.
    std::mt19937 rng(99);
    std::uniform_real_distribution<double> any(-0.05, 1.05);
    for (int n = 1; n <= 400; ++n) {
        std::vector<LandCell> cells;
        int land = 0, bands[10] = {}, lowest = 0, highest = 0;
        for (int i = 0; i < n; ++i) {
            double a = rng() % 8 == 0 ? double(rng() % 11) / 10 : any(rng);
            LandCell c{};
            c.altitude = a;
            cells.push_back(c);
            land += a > 0.3;
            int band = 0;
            while (band < 9 && !(a < (band + 1) / 10.0))
                ++band;
            ++bands[band];
            lowest += a == 0.0;
            highest += a == 1.0;
        }
        ASSERT_EQ(Report(cells, 0.3), Expected(n * 0.01, land, bands, lowest, highest)) << n;
    }
}

TEST(LandReport, EmptyGridReportsZeroNotNaN) {
    const int bands[10] = {};
    std::string expected = Expected(1.0, 0, bands, 0, 0);
    EXPECT_EQ(BuildLandReport(nullptr, 0, 0.5), expected);
    EXPECT_EQ(expected.find("nan"), std::string::npos);
}

// The page's English report says what the Japanese one says: the same
// figures, line by line, whatever the cells.
TEST(LandReport, EnglishCarriesTheJapaneseFigures) {
    EXPECT_EQ(BuildLandReport(Cells({0.0, 0.25, 0.5, 1.0}).data(), 4, 0.5, ReportLanguage::English),
              "Land: 25.0%\r\n\r\nBelow 10%: 25.0%\r\n10% to 20%: 0.0%\r\n20% to 30%: 25.0%\r\n"
              "30% to 40%: 0.0%\r\n40% to 50%: 0.0%\r\n50% to 60%: 25.0%\r\n60% to 70%: 0.0%\r\n"
              "70% to 80%: 0.0%\r\n80% to 90%: 0.0%\r\n90% and above: 25.0%\r\n\r\n"
              "Cells at the lowest altitude: 1\r\nCells at the highest altitude: 1\r\n");
    // Each line's last number, which follows its label in both languages.
    const auto figures = [](const std::string& text) {
        std::vector<std::string> out;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = text.substr(start, end - start);
            const size_t space = line.rfind(' ');
            if (space != std::string::npos)
                out.push_back(line.substr(
                    space + 1, line.find_first_not_of("0123456789.", space + 1) - space - 1));
        }
        return out;
    };
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> any(-0.05, 1.05);
    for (int n = 0; n <= 200; n += 7) {
        std::vector<LandCell> cells(size_t(n), LandCell{});
        for (LandCell& c : cells)
            c.altitude = rng() % 6 == 0 ? double(rng() % 11) / 10 : any(rng);
        const std::string ja = BuildLandReport(cells.data(), cells.size(), 0.4);
        const std::string en =
            BuildLandReport(cells.data(), cells.size(), 0.4, ReportLanguage::English);
        ASSERT_EQ(figures(en), figures(ja)) << n;
        ASSERT_EQ(figures(en).size(), 13u) << en;
    }
}

}  // namespace
