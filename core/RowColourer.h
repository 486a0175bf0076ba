#pragma once
// Row-by-row colouring, which both rendering strategies of an exact grid use.
// The region border test compares whole rows of regions, kept in a ring of
// three rows, instead of looking up eight wrapped neighbours per cell.
// Internal to core/.

#include "core/CellColours.h"

#include <cstdint>
#include <vector>

namespace colours {

// Colours whole rows of an exactly shaped grid, in order or not.
class RowColourer {
  public:
    RowColourer(const GEO_MakeLand& t, Shape s, bool showRegions)
        : cells_(t.GetData()), w_(s.w), h_(s.h), bands_(t.waterLevel),
          regions_(showRegions && t.concentrationPoints.GetSize() > 0) {
        altitudes_.resize(size_t(w_) * (regions_ ? 3 : 1));
        if (regions_) {
            ringRegions_.resize(3 * size_t(w_));
            same_.resize(size_t(w_));
            inside_.resize(size_t(w_));
        }
    }

    // Writes the first `count` cells of row y as COLORREF values, or as
    // picture pixels when asPixels is set.
    template <bool asPixels> void Row(int32_t y, uint32_t* out, int32_t count) {
        if (!regions_) {
            // A tight copy first keeps many cache lines in flight; the colour
            // loop then reads from cache instead of stalling on memory.
            const LandCell* row = cells_ + size_t(y) * size_t(w_);
            double* altitude = altitudes_.data();
            for (int32_t x = 0; x < count; ++x)
                altitude[x] = row[x].altitude;
            for (int32_t x = 0; x < count; ++x)
                out[x] = Compose<asPixels>(PlainColour(altitude[x], bands_));
            return;
        }
        LoadRows(y);
        const int32_t midSlot = (upSlot_ + 1) % 3;
        const uint16_t* up = Regions(upSlot_);
        const uint16_t* mid = Regions(midSlot);
        const uint16_t* down = Regions((upSlot_ + 2) % 3);
        const double* altitude = &altitudes_[size_t(midSlot) * size_t(w_)];
        FindInside(up, mid, down);
        const uint8_t* inside = inside_.data();
        constexpr uint32_t white = Compose<asPixels>({255, 255, 255});
        // Regions come in patches: look the tint up again only when the region changes.
        uint16_t tintRegion = mid[0];
        const Tint* tint = &TintOf(tintRegion);
        for (int32_t x = 0; x < count; ++x) {
            if (mid[x] != tintRegion) {
                tintRegion = mid[x];
                tint = &TintOf(tintRegion);
            }
            out[x] = inside[x] ? Compose<asPixels>(Tinted(PlainColour(altitude[x], bands_), *tint))
                               : white;
        }
    }

  private:
    uint16_t* Regions(int32_t slot) { return &ringRegions_[size_t(slot) * size_t(w_)]; }

    // inside[x]: all eight wrapped neighbours share the region of x. A column
    // is "same" when its three rows agree; x is inside when its own and both
    // neighbouring columns are same and the middle row agrees across them.
    void FindInside(const uint16_t* up, const uint16_t* mid, const uint16_t* down) {
        uint8_t* same = same_.data();
        uint8_t* inside = inside_.data();
        const int32_t last = w_ - 1;
        for (int32_t x = 0; x < w_; ++x)
            same[x] = (up[x] == mid[x]) & (down[x] == mid[x]);
        for (int32_t x = 1; x < last; ++x)
            inside[x] = same[x - 1] & same[x] & same[x + 1] & (mid[x - 1] == mid[x]) &
                        (mid[x + 1] == mid[x]);
        for (int32_t x : {int32_t{0}, last}) {
            const int32_t l = x == 0 ? last : x - 1;
            const int32_t r = x == last ? 0 : x + 1;
            inside[x] = same[l] & same[x] & same[r] & (mid[l] == mid[x]) & (mid[r] == mid[x]);
        }
    }

    // One pass over the cells of row y fills both of its ring slots.
    void Extract(int32_t y, int32_t slot) {
        const LandCell* row = cells_ + size_t(y) * size_t(w_);
        uint16_t* region = Regions(slot);
        double* altitude = &altitudes_[size_t(slot) * size_t(w_)];
        for (int32_t x = 0; x < w_; ++x) {
            region[x] = row[x].region;
            altitude[x] = row[x].altitude;
        }
    }

    // Keeps rows y - 1, y, y + 1 (wrapped) in the ring; one new row per step
    // when rows come in order.
    void LoadRows(int32_t y) {
        if (loaded_ >= 0 && y == (loaded_ + 1) % h_) {
            Extract((y + 1) % h_, upSlot_);
            upSlot_ = (upSlot_ + 1) % 3;
        } else if (loaded_ != y) {
            upSlot_ = 0;
            Extract((y + h_ - 1) % h_, 0);
            Extract(y, 1);
            Extract((y + 1) % h_, 2);
        }
        loaded_ = y;
    }

    const LandCell* cells_;
    int32_t w_;
    int32_t h_;
    Bands bands_;
    bool regions_;
    std::vector<double> altitudes_;  // one row, or the ring's three with regions
    std::vector<uint16_t> ringRegions_;
    std::vector<uint8_t> same_;
    std::vector<uint8_t> inside_;
    int32_t upSlot_ = 0;
    int32_t loaded_ = -1;
};

}  // namespace colours
