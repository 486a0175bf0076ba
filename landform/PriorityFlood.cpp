#include "landform/PriorityFlood.h"

#include "landform/FlowRouting.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

constexpr double unreached = -std::numeric_limits<double>::infinity();

// The flood's priority queue. The flood never asks for a level below the
// last one it took, so a radix heap (Ahuja, Mehlhorn, Orlin and Tarjan 1990)
// serves: levels as 64-bit keys that order like the doubles, bucket b
// holding the keys whose highest bit differing from the last key taken is
// bit b - 1. Which of several equal levels comes first cannot change a
// filled height, and the queue's order is its own, not a library's.
class RadixQueue {
  public:
    bool Empty() const { return size_ == 0; }

    // level >= the last level taken
    void Push(double level, uint32_t cell) {
        const uint64_t key = Key(level);
        buckets_[Bucket(key)].push_back({key, cell});
        ++size_;
    }

    uint32_t Take() {
        if (buckets_[0].empty()) {
            size_t b = 1;
            while (buckets_[b].empty())
                ++b;
            std::vector<Entry>& spill = buckets_[b];
            last_ = spill[0].key;
            for (const Entry& e : spill)
                last_ = std::min(last_, e.key);
            for (const Entry& e : spill)
                buckets_[Bucket(e.key)].push_back(e);  // all below b
            spill.clear();
        }
        const uint32_t cell = buckets_[0].back().cell;
        buckets_[0].pop_back();
        --size_;
        return cell;
    }

  private:
    struct Entry {
        uint64_t key;
        uint32_t cell;
    };

    // Flips the sign bit of a positive double and every bit of a negative
    // one, so that the keys order as the levels do.
    static uint64_t Key(double level) {
        uint64_t bits;
        std::memcpy(&bits, &level, sizeof bits);  // the page's library has no bit_cast
        return bits >> 63 ? ~bits : bits | (uint64_t{1} << 63);
    }

    size_t Bucket(uint64_t key) const {
        return key == last_ ? 0 : size_t(64 - std::countl_zero(key ^ last_));
    }

    std::vector<Entry> buckets_[65];
    uint64_t last_ = 0;
    size_t size_ = 0;
};

// Water cells and edge outlets keep their altitude. The flood starts from
// the land cells beside water, at their own altitude: they are what a water
// cell's flood would reach first, so the water needs no turn in the queue.
// An edge outlet may stand above its neighbours, so it takes its turn itself.
void SeedFromOutlets(int32_t width, int32_t height, const std::vector<double>& altitudes,
                     double waterLevel, const std::vector<uint8_t>& outlets,
                     std::vector<double>& filled, RadixQueue& open) {
    for (size_t i = 0; i < altitudes.size(); ++i) {
        if (altitudes[i] <= waterLevel) {
            filled[i] = altitudes[i];
        } else if (!outlets.empty() && outlets[i]) {
            filled[i] = altitudes[i];
            open.Push(filled[i], uint32_t(i));
        }
    }
    uint32_t n[8];
    for (int32_t y = 0; y < height; ++y) {
        const TorusRow row(width, height, y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = row.mid + uint32_t(x);
            if (filled[c] != unreached)
                continue;
            row.Neighbours(x, n);
            for (int k = 0; k < 8; ++k) {
                if (altitudes[n[k]] <= waterLevel) {
                    filled[c] = altitudes[c];
                    open.Push(filled[c], c);
                    break;
                }
            }
        }
    }
}

}  // namespace

std::optional<uint32_t> SoleOutlet(const std::vector<double>& altitudes, double waterLevel) {
    if (altitudes.empty())
        return std::nullopt;
    size_t lowest = 0;
    for (size_t i = 0; i < altitudes.size(); ++i) {
        if (altitudes[i] <= waterLevel)
            return std::nullopt;
        if (altitudes[i] < altitudes[lowest])
            lowest = i;
    }
    return uint32_t(lowest);
}

std::vector<double> FillDepressions(int32_t width, int32_t height,
                                    const std::vector<double>& altitudes, double waterLevel,
                                    const std::vector<uint8_t>& outlets, Boundary boundary) {
    std::vector<double> filled(altitudes.size(), unreached);
    if (altitudes.empty())
        return filled;
    RadixQueue open;
    const std::optional<uint32_t> outlet =
        outlets.empty() ? SoleOutlet(altitudes, waterLevel) : std::nullopt;
    if (outlet) {
        filled[*outlet] = altitudes[*outlet];
        open.Push(filled[*outlet], *outlet);
    } else {
        SeedFromOutlets(width, height, altitudes, waterLevel, outlets, filled, open);
    }
    // The pit holds cells raised to the level of the cell that reached them;
    // they all share that level, so a stack serves as well as a queue.
    std::vector<uint32_t> pit;
    const TorusCells torus(width, height, boundary);
    uint32_t n[8];
    for (;;) {
        uint32_t c;
        if (!pit.empty()) {
            c = pit.back();
            pit.pop_back();
        } else if (!open.Empty()) {
            c = open.Take();
        } else {
            break;
        }
        const double level = filled[c];
        torus.Neighbours(c, n);
        for (int k = 0; k < 8; ++k) {
            const uint32_t m = n[k];
            if (filled[m] != unreached)
                continue;
            if (altitudes[m] <= level) {
                filled[m] = level;
                pit.push_back(m);
            } else {
                filled[m] = altitudes[m];
                open.Push(filled[m], m);
            }
        }
    }
    return filled;
}
