#pragma once
// Water that crosses depressions while the land erodes, after Cordonnier,
// Bovy and Braun (2019), "A versatile, linear complexity algorithm for flow
// routing in topographies with depressions". Over a graph routed by steepest
// descent with its pits as sinks:
//   1. basins: every cell joins the basin of the root its receivers lead to;
//      basins whose root is an outlet (water, an open border, NoData) count
//      as one node, the base level, each pit's basin as a node of its own;
//   2. links: for each pair of touching basins, the lowest pass between
//      them, the higher of the two cells on either side (only pit basins are
//      scanned: a link between two outlets changes nothing);
//   3. a minimum spanning tree of the links (Kruskal, ties by the order the
//      links were found), rooted at the base level;
//   4. carving: in each pit's basin the path from the pass cell down to the
//      pit is reversed, and the pass cell drains across the pass, so the
//      water leaves by the lowest way out while no height changes.
// Every step is sequential with ties broken by cell index: the same
// receivers on any machine and thread count.

#include "landform/FlowGraph.h"
#include "landform/GridNeighbours.h"

#include <cstdint>
#include <vector>

class DepressionRouter {
  public:
    explicit DepressionRouter(GridNeighbours grid) : grid_(grid) {}

    // Reroutes `graph`, routed on `surface` with pits as sinks, so that
    // every cell drains to an outlet; with no outlet at all the lowest pit
    // (the first of equals) becomes one. `noData` empty or 1 per NoData cell.
    void Route(FlowGraph& graph, const std::vector<double>& surface, double waterLevel,
               const std::vector<uint8_t>& noData);

    // Pits rerouted by the last Route.
    int64_t PitsCrossed() const { return crossed_; }
    // Per cell, as the last Route found them: 0 in a basin of an outlet,
    // else the pit's basin it lies in.
    const std::vector<uint32_t>& Basins() const { return basin_; }
    const GridNeighbours& Grid() const { return grid_; }

  private:
    struct Link {
        uint32_t low, high;  // nodes, low < high or high the base level 0
        uint32_t from, to;   // cells on either side, `from` in node `low`
        double pass;
        uint8_t diagonal;
    };

    bool IsOutlet(uint32_t cell, const std::vector<double>& surface, double waterLevel,
                  const std::vector<uint8_t>& noData) const;
    void HoldOutlets(FlowGraph& graph, const std::vector<uint8_t>& noData) const;
    void Label(const FlowGraph& graph, const std::vector<double>& surface, double waterLevel,
               const std::vector<uint8_t>& noData);
    void FindLinks(const std::vector<double>& surface);
    void SpanningTree();
    void Carve(FlowGraph& graph);

    GridNeighbours grid_;
    int64_t crossed_ = 0;
    std::vector<uint32_t> basin_;    // per cell: its basin's node
    std::vector<uint32_t> pitOf_;    // per node: the pit cell (node 0: unused)
    std::vector<uint32_t> cellsAt_;  // per node: where its cells start in cells_
    std::vector<uint32_t> cells_;    // pit basins' cells, node by node
    std::vector<int64_t> bestLink_;  // per node, while one node is scanned
    std::vector<Link> links_;
    std::vector<uint32_t> parentLink_;  // per node: the link towards the base level
};
