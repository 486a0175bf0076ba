#include "landform/RiverFigures.h"

#include "landform/ExactLog.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr size_t hackBasins = 50;

// Least squares of y against x, summed in the order the points came.
class LineFit {
  public:
    void Add(double x, double y) {
        ++n_;
        sx_ += x, sy_ += y, sxx_ += x * x, sxy_ += x * y;
    }
    bool Enough() const { return n_ >= 3 && double(n_) * sxx_ - sx_ * sx_ > 0; }
    double Slope() const {
        return (double(n_) * sxy_ - sx_ * sy_) / (double(n_) * sxx_ - sx_ * sx_);
    }
    double Intercept() const { return (sy_ - Slope() * sx_) / double(n_); }

  private:
    int64_t n_ = 0;
    double sx_ = 0, sy_ = 0, sxx_ = 0, sxy_ = 0;
};

double Distance(const FlowGraph& flow, uint32_t c) {
    return flow.Diagonal()[c] ? std::sqrt(2.0) : 1.0;
}

// The longest flow path reaching each cell, the cell's own length included.
std::vector<double> LongestPaths(const FlowGraph& flow) {
    const std::vector<uint32_t>& rec = flow.Receivers();
    const std::vector<uint32_t>& stack = flow.Stack();
    std::vector<double> longest(rec.size(), 0.0);
    for (size_t i = stack.size(); i-- > 0;) {
        const uint32_t c = stack[i];
        const uint32_t r = rec[c];
        const double own = longest[c] + (r == c ? 1.0 : Distance(flow, c));
        longest[c] = own;
        if (r != c)
            longest[r] = std::max(longest[r], own);
    }
    return longest;
}

double HackExponent(const std::vector<double>& h, const FlowGraph& flow, double waterLevel,
                    uint32_t threshold) {
    // A basin's mouth: a land cell draining into water, or into nothing.
    const std::vector<uint32_t>& rec = flow.Receivers();
    const std::vector<uint32_t>& area = flow.Area();
    std::vector<uint32_t> mouths;
    for (uint32_t c = 0; c < rec.size(); ++c)
        if (h[c] > waterLevel && (rec[c] == c || !(h[rec[c]] > waterLevel)) && area[c] >= threshold)
            mouths.push_back(c);
    const size_t kept = std::min(mouths.size(), hackBasins);
    std::partial_sort(
        mouths.begin(), mouths.begin() + ptrdiff_t(kept), mouths.end(),
        [&](uint32_t a, uint32_t b) { return area[a] > area[b] || (area[a] == area[b] && a < b); });
    mouths.resize(kept);
    std::sort(mouths.begin(), mouths.end());
    const std::vector<double> longest = LongestPaths(flow);
    LineFit fit;
    for (const uint32_t c : mouths)
        fit.Add(ExactLog(double(area[c])), ExactLog(longest[c]));
    return fit.Enough() ? fit.Slope() : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

RiverFigures MeasureRivers(const std::vector<double>& h, const FlowGraph& flow,
                           const std::vector<uint8_t>& rivers, double waterLevel,
                           uint32_t threshold) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<uint32_t>& rec = flow.Receivers();
    const std::vector<uint32_t>& area = flow.Area();
    RiverFigures f;
    LineFit slopeArea;
    double channelLength = 0;
    int64_t land = 0;
    for (uint32_t c = 0; c < rec.size(); ++c) {
        land += h[c] > waterLevel;
        if (!rivers[c])
            continue;
        if (rec[c] == c)
            continue;
        const double d = Distance(flow, c);
        channelLength += d;
        const double slope = (h[c] - h[rec[c]]) / d;
        if (slope > 0)
            slopeArea.Add(ExactLog(double(area[c])), ExactLog(slope));
    }
    f.slopeAreaConcavity = slopeArea.Enough() ? -slopeArea.Slope() : nan;
    f.slopeAreaSteepness = slopeArea.Enough() ? ExactExp(slopeArea.Intercept()) : nan;
    f.hackExponent = HackExponent(h, flow, waterLevel, std::max(threshold, 1u));
    f.drainageDensity = land > 0 ? channelLength / double(land) : 0;
    return f;
}
