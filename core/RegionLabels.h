#pragma once
// Region labels: for every cell, the index of the concentration point whose
// nearest copy (of nine on the wrapped plane) is closest by Manhattan
// distance, the lowest index on ties. With every point on the grid that
// distance is the torus distance, which splits into a column and a row part:
// first down each column holding points, then along each row from those
// columns. Along a ring, a cell between two neighbouring sources is won by one
// of the two, so each row costs one step per source plus filling its cells.
// Both parts change by at most one per row, so a column beaten by a wide
// enough margin at the middle of a band of rows is beaten throughout the
// band; each row then steps only over the columns that may still win, and the
// cost hardly grows with the number of points. A point off the grid makes the
// nine-copy rule differ from the torus distance; then every cell is compared
// with every point as the rule says.

#include "data/PointArray.h"

#include <cstdint>
#include <vector>

// Working memory of one thread, with the columns that may win in the band of
// rows it last served. A key is a distance in its high word and a point's
// index in its low word, so the smaller key is the winner.
struct LabelScratch {
    std::vector<uint64_t> columnKeys;   // each column's own key, a lane per row of the block
    std::vector<uint64_t> settledKeys;  // the best key each column is offered along the row
    std::vector<int64_t> runColumns;    // the columns whose own key stands, which bound runs
    std::vector<int32_t> rowLabels;     // the block's labels, RowStride() apart
    uint64_t owner = 0;                 // the labeller the band belongs to, 0 for none
    int32_t bandFirst = 0;
    int32_t bandEnd = 0;
    std::vector<int32_t> contenders;     // slots, in column order
    std::vector<int64_t> contenderGaps;  // to the next contender, round the ring
};

class RegionLabeller {
  public:
    RegionLabeller(const Point* points, int32_t count, int32_t width, int32_t height);

    // Work before the rows: one column each. Distinct columns may be prepared
    // on different threads.
    int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
    void PrepareColumn(int32_t slot);

    // Labels of rows first .. first + count - 1 (count up to blockRows), row
    // after row RowStride() entries apart, valid until the scratch is used
    // again. All columns must be prepared. Safe on several threads with their
    // own scratch. Rows in a block share their passes over the columns.
    static constexpr int32_t blockRows = 8;
    const int32_t* LabelRows(int32_t first, int32_t count, LabelScratch& scratch) const;
    size_t RowStride() const { return size_t(width_) + 32; }

    // Bands of this many rows, from multiples of it, share one choice of the
    // columns that may win.
    static constexpr int32_t bandRows = 32;

  private:
    uint64_t ColumnKey(int32_t slot, int32_t y) const;
    void ChooseContenders(int32_t first, int32_t end, LabelScratch& scratch) const;
    // The stages of LabelRows.
    void LabelByComparison(int32_t first, int32_t count, LabelScratch& scratch) const;
    void ServeBand(int32_t first, int32_t count, LabelScratch& scratch) const;
    void KeyBlockRows(int32_t first, int32_t count, LabelScratch& scratch) const;
    void LabelRowRuns(int32_t r, LabelScratch& scratch) const;

    uint64_t id_;
    std::vector<Point> points_;
    int32_t width_;
    int32_t height_;
    bool separable_ = true;
    std::vector<int32_t> columns_;       // distinct columns holding points
    std::vector<uint32_t> columnStart_;  // slot -> its first source below
    std::vector<int32_t> sourceRows_;    // per column, its distinct rows holding points
    std::vector<uint64_t> sourceKeys_;   // their lowest point index, then their settled keys
    std::vector<int64_t> sourceGaps_;    // rows to the column's next source, round the ring
    std::vector<int64_t> columnGaps_;    // slot -> distance to the next column, round the ring
};
