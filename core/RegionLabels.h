#pragma once
// Region labels: for every cell, the index of the concentration point whose
// nearest copy (of nine on the wrapped plane) is closest by Manhattan
// distance, the lowest index on ties. With every point on the grid that
// distance is the torus distance, which splits into a column and a row part:
// first down each column holding points, then along each row from those
// columns. Along a ring, a cell between two neighbouring sources is won by one
// of the two, so each row costs one step per source plus filling its cells,
// and the cost hardly grows with the number of points. A point off the grid
// makes the nine-copy rule differ from the torus distance; then every cell is
// compared with every point as the rule says.

#include "data/PointArray.h"

#include <cstdint>
#include <vector>

class RegionLabeller {
public:
    RegionLabeller(const Point* points, int32_t count, int32_t width, int32_t height);

    // Work before the rows: one column each. Distinct columns may be prepared
    // on different threads.
    int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
    void PrepareColumn(int32_t slot, std::vector<uint64_t>& scratch);

    // Labels of row y into labels[0..width); all columns must be prepared.
    // Safe to call from several threads with their own scratch.
    void LabelRow(int32_t y, int32_t* labels, std::vector<uint64_t>& scratch) const;

    bool Separable() const { return separable_; }

private:
    std::vector<Point> points_;
    int32_t width_;
    int32_t height_;
    bool separable_ = true;
    std::vector<int32_t> columns_;       // distinct columns holding points
    std::vector<uint32_t> pointsByColumn_;  // point indices grouped by column slot
    std::vector<uint32_t> columnStart_;     // slot -> first entry of pointsByColumn_
    std::vector<uint64_t> columnBest_;   // row-major: (row, slot) -> best key
    std::vector<int64_t> columnGaps_;    // slot -> distance to the next column, round the ring
};
