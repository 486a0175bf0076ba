#include "landform/HillslopeDiffusion.h"

#include "landform/RowShare.h"

#include <algorithm>

namespace {

// One line's system: a held cell is the identity row, a free one
// -r x[i-1] + (1 + 2r) x[i] - r x[i+1].
struct Line {
    const uint8_t* held;
    double r;
    size_t n;
    double Off(size_t i) const { return held[i] ? 0.0 : -r; }
    double Diagonal(size_t i) const { return held[i] ? 1.0 : 1 + 2 * r; }
};

// Thomas's algorithm in place on d, with the first and last diagonal
// entries given (the cyclic correction changes them).
void Thomas(const Line& l, double first, double last, double* d, double* cp) {
    const auto diagonal = [&](size_t i) {
        return i == 0 ? first : i + 1 == l.n ? last : l.Diagonal(i);
    };
    double pivot = diagonal(0);
    cp[0] = l.Off(0) / pivot;
    d[0] = d[0] / pivot;
    for (size_t i = 1; i < l.n; ++i) {
        pivot = diagonal(i) - l.Off(i) * cp[i - 1];
        cp[i] = l.Off(i) / pivot;
        d[i] = (d[i] - l.Off(i) * d[i - 1]) / pivot;
    }
    for (size_t i = l.n - 1; i-- > 0;)
        d[i] -= cp[i] * d[i + 1];
}

// The cyclic system by Sherman and Morrison: two plain solves and a
// correction (Press et al., Numerical Recipes, 2.7).
void SolveCyclic(const Line& l, double* d, double* z, double* cp) {
    const size_t last = l.n - 1;
    const double bottomLeft = l.Off(last), topRight = l.Off(0);
    const double gamma = -l.Diagonal(0);
    const double first = l.Diagonal(0) - gamma;
    const double lastDiagonal = l.Diagonal(last) - bottomLeft * topRight / gamma;
    Thomas(l, first, lastDiagonal, d, cp);
    std::fill(z, z + l.n, 0.0);
    z[0] = gamma;
    z[last] = bottomLeft;
    Thomas(l, first, lastDiagonal, z, cp);
    const double fact =
        (d[0] + topRight * d[last] / gamma) / (1 + z[0] + topRight * z[last] / gamma);
    for (size_t i = 0; i < l.n; ++i)
        d[i] -= fact * z[i];
}

}  // namespace

void HillslopeDiffusion::MarkHeld(const std::vector<double>& h, double waterLevel) {
    held_.resize(h.size());
    for (size_t c = 0; c < h.size(); ++c)
        held_[c] = !(h[c] > waterLevel) || (!noData_.empty() && noData_[c]);
    if (boundary_ != Boundary::Open)
        return;
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x)
            if (OnBorder(x, y, width_, height_))
                held_[size_t(y) * size_t(width_) + size_t(x)] = 1;
}

void HillslopeDiffusion::Sweep(std::vector<double>& heights, double r, bool rows,
                               ChunkWorker& worker) const {
    const size_t w = size_t(width_);
    const size_t along = rows ? w : size_t(height_);
    const size_t across = rows ? size_t(height_) : w;
    if (along < 3)
        return;
    const size_t step = rows ? 1 : w;  // between cells of a line
    const size_t jump = rows ? w : 1;  // between lines
    const bool cyclic = boundary_ == Boundary::Wrap;
    const auto lines = [&](int32_t firstLine, int32_t endLine) {
        // The band's lines copied out side by side, reading the grid row
        // by row (a band of columns is then a few cache lines a row), each
        // solved on its own, and copied back.
        const size_t first = size_t(firstLine), count = size_t(endLine - firstLine);
        std::vector<double> band(count * along), z(along), cp(along);
        std::vector<uint8_t> held(count * along);
        const auto each = [&](auto&& visit) {
            if (rows) {
                for (size_t j = 0; j < count; ++j)
                    for (size_t i = 0; i < along; ++i)
                        visit(j * along + i, (first + j) * jump + i * step);
            } else {
                for (size_t i = 0; i < along; ++i)
                    for (size_t j = 0; j < count; ++j)
                        visit(j * along + i, (first + j) * jump + i * step);
            }
        };
        each([&](size_t at, size_t cell) {
            held[at] = held_[cell];
            band[at] = heights[cell];
        });
        for (size_t j = 0; j < count; ++j) {
            double* d = band.data() + j * along;
            const Line line{held.data() + j * along, r, along};
            if (cyclic)
                SolveCyclic(line, d, z.data(), cp.data());
            else
                Thomas(line, line.Diagonal(0), line.Diagonal(along - 1), d, cp.data());
        }
        each([&](size_t at, size_t cell) { heights[cell] = band[at]; });
    };
    // ShareRows bands the lines, `across` of them: about 64 K cells a band,
    // at least 16 lines. A line reads and writes only its own cells.
    const int32_t perBand = int32_t(std::max<size_t>(16, 65536 / along));
    ShareRows(worker, 16384 / perBand, int32_t(across), lines);
}

void HillslopeDiffusion::Step(std::vector<double>& altitudes, double waterLevel, double diffusivity,
                              ChunkWorker& worker) {
    if (diffusivity <= 0 || altitudes.empty())
        return;
    MarkHeld(altitudes, waterLevel);
    Sweep(altitudes, diffusivity, true, worker);
    Sweep(altitudes, diffusivity, false, worker);
}
