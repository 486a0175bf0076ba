#include "mesh/RightTriangulation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace {

constexpr float forced = std::numeric_limits<float>::infinity();

class Hierarchy {
  public:
    Hierarchy(const float* heights, size_t stride, int32_t columns, int32_t rows, bool twoThreads)
        : heights_(heights), stride_(stride), columns_(columns), rows_(rows),
          twoThreads_(twoThreads) {
        while (side_ < columns_ - 1 || side_ < rows_ - 1)
            side_ *= 2;
        size_ = side_ + 1;
        errors_.assign(size_t(size_) * size_t(size_), 0.0f);
        // Edge samples are kept so that tiles meet and a solid closes; and a
        // triangle split at every sample of the real edge never reaches
        // across it into the padding.
        for (int32_t x = 0; x < columns_; ++x)
            errors_[Index(x, 0)] = errors_[Index(x, rows_ - 1)] = forced;
        for (int32_t y = 0; y < rows_; ++y)
            errors_[Index(0, y)] = errors_[Index(columns_ - 1, y)] = forced;
        Bound();
    }

    std::vector<uint32_t> Triangles(double errorMetres) {
        std::vector<uint32_t> indices;
        const double limit = errorMetres;
        Extract(indices, limit, 0, 0, side_, side_, side_, 0);
        Extract(indices, limit, side_, side_, 0, 0, 0, side_);
        return indices;
    }

  private:
    size_t Index(int32_t x, int32_t y) const { return size_t(y) * size_t(size_) + size_t(x); }

    // The padding repeats the nearest real sample.
    double Height(int32_t x, int32_t y) const {
        const size_t v =
            size_t(std::min(y, rows_ - 1)) * size_t(columns_) + size_t(std::min(x, columns_ - 1));
        return double(heights_[stride_ * v]);
    }

    float At(int32_t x, int32_t y) const {
        if (x < 0 || y < 0 || x > side_ || y > side_)
            return 0;
        return errors_[Index(x, y)];
    }

    // A triangle's samples lie within its midpoint's height above or below
    // the midpoint's interpolation plus its children's bound: the children's
    // planes part from the parent's by at most that height. The sum of floats
    // is exact in a double; rounded up into a float, the bound is never short.
    void Raise(int32_t x, int32_t y, double interpolated, float children) {
        const double bound = std::fabs(Height(x, y) - interpolated) + double(children);
        float up = float(bound);
        if (double(up) < bound)
            up = std::nextafter(up, forced);
        float& e = errors_[Index(x, y)];
        e = std::max(e, up);
    }

    // Rows [first, last) of one level's midpoints, each written once.
    template <class Work> void Rows(int32_t count, const Work& work) {
        if (twoThreads_ && count >= 64) {
            std::thread second([&] { work(count / 2, count); });
            work(0, count / 2);
            second.join();
        } else {
            work(0, count);
        }
    }

    void Bound() {
        for (int32_t s = 2; s <= side_; s *= 2) {
            const int32_t h = s / 2, q = s / 4;
            const int32_t squares = side_ / s;
            // Midpoints of sides s long, between two squares' centres of
            // the level below (none below s = 2: unit triangles hold no other
            // sample); rows of sides along x, then those along y, each row by
            // row for the cache.
            const auto side = [&](int32_t x, int32_t y, int32_t dx, int32_t dy) {
                const float children = q == 0 ? 0.0f
                                              : std::max({At(x - q, y - q), At(x + q, y - q),
                                                          At(x - q, y + q), At(x + q, y + q)});
                Raise(x, y, (Height(x - dx, y - dy) + Height(x + dx, y + dy)) / 2, children);
            };
            Rows(squares + 1, [&](int32_t first, int32_t last) {
                for (int32_t j = first; j < last; ++j)
                    for (int32_t i = 0; i < squares; ++i)
                        side(i * s + h, j * s, h, 0);
            });
            Rows(squares, [&](int32_t first, int32_t last) {
                for (int32_t j = first; j < last; ++j)
                    for (int32_t i = 0; i <= squares; ++i)
                        side(i * s, j * s + h, 0, h);
            });
            // Centres of squares s wide, split along the diagonal towards
            // their parent square's centre.
            Rows(squares, [&](int32_t first, int32_t last) {
                for (int32_t j = first; j < last; ++j)
                    for (int32_t i = 0; i < squares; ++i) {
                        const int32_t x = i * s + h, y = j * s + h;
                        const float c =
                            std::max({At(x - h, y), At(x + h, y), At(x, y - h), At(x, y + h)});
                        const double across = (i + j) % 2 == 0
                                                  ? Height(x - h, y - h) + Height(x + h, y + h)
                                                  : Height(x + h, y - h) + Height(x - h, y + h);
                        Raise(x, y, across / 2, c);
                    }
            });
        }
    }

    // The triangle with hypotenuse a-b and right angle at c.
    void Extract(std::vector<uint32_t>& indices, double limit, int32_t ax, int32_t ay, int32_t bx,
                 int32_t by, int32_t cx, int32_t cy) const {
        // Wholly in the padding: nothing of it is drawn.
        if (std::min({ax, bx, cx}) >= columns_ || std::min({ay, by, cy}) >= rows_)
            return;
        const int32_t mx = (ax + bx) / 2, my = (ay + by) / 2;
        if (std::abs(ax - cx) + std::abs(ay - cy) > 1 && double(errors_[Index(mx, my)]) > limit) {
            Extract(indices, limit, cx, cy, ax, ay, mx, my);
            Extract(indices, limit, bx, by, cx, cy, mx, my);
            return;
        }
        // Unsplit triangles never cross the real edge: each corner is real.
        if (std::max({ax, bx, cx}) >= columns_ || std::max({ay, by, cy}) >= rows_)
            return;
        const auto vertex = [this](int32_t x, int32_t y) {
            return uint32_t(y) * uint32_t(columns_) + uint32_t(x);
        };
        // Counter-clockwise seen from above, with rows running south.
        const int64_t turn = int64_t(bx - ax) * (cy - ay) - int64_t(by - ay) * (cx - ax);
        if (turn < 0)
            indices.insert(indices.end(), {vertex(ax, ay), vertex(bx, by), vertex(cx, cy)});
        else
            indices.insert(indices.end(), {vertex(ax, ay), vertex(cx, cy), vertex(bx, by)});
    }

    const float* heights_;
    size_t stride_;
    int32_t columns_, rows_;
    bool twoThreads_;
    int32_t side_ = 1, size_ = 2;
    std::vector<float> errors_;
};

}  // namespace

std::vector<uint32_t> RightTriangulation(const TerrainMesh& full, double errorMetres,
                                         bool twoThreads) {
    return RightTriangulation(full.positions.data() + 1, 3, full.columns, full.rows, errorMetres,
                              twoThreads);
}

std::vector<uint32_t> RightTriangulation(const float* heights, size_t stride, int32_t columns,
                                         int32_t rows, double errorMetres, bool twoThreads) {
    return Hierarchy(heights, stride, columns, rows, twoThreads).Triangles(errorMetres);
}
