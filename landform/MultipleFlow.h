#pragma once
// Drained area over multiple flow directions, after Quinn, Beven, Chevallier
// and Planchon (1991): a cell shares what it drains among all its lower
// neighbours in proportion to slope times contour length (1/2 across a side,
// sqrt(2)/4 across a corner), so hillslopes spread their water instead of
// drawing the grid's parallel grooves; valleys still gather it. Freeman's
// (1991) weights need a power of the slope (exponent 1.1), which only the C
// library computes and not alike everywhere; Quinn's need nothing beyond
// + - * /, the diagonal's slope times its contour length being the drop
// over 4.
//
// Over a drained graph's filled surface: a cell without a lower neighbour
// (on a filled lake or a flat) passes everything to its steepest-descent
// receiver, and outlets keep theirs. Cells are taken from the highest down,
// equal heights in the reverse of the graph's stack, so every cell is
// complete before it gives; the sums run in that fixed order.

#include "landform/FlowGraph.h"
#include "landform/GridNeighbours.h"

#include <vector>

std::vector<double> MultipleFlowArea(const FlowGraph& drained, const GridNeighbours& grid);

// The same while eroding, over the surface as it stands with water routed
// across depressions (`basins` as DepressionRouter::Basins gives them):
// in the outlets' basins a cell shares among its lower neighbours of those
// basins; in a pit's basin and where none is lower, everything follows the
// graph's receiver. Water thus crosses a lake along its carved path only,
// and no share can come round to where it started. Cells are taken in
// topological order (Kahn), sources first by index: a fixed order.
std::vector<double> MultipleFlowAreaWhileEroding(const FlowGraph& graph,
                                                 const std::vector<double>& surface,
                                                 const std::vector<uint32_t>& basins,
                                                 const GridNeighbours& grid);
