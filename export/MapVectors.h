#pragma once
// A map's water as shapes for GIS: the land and the lakes as polygons traced
// along the cells' sides (holes for the lakes and inland seas in the land,
// for the islands in a lake), and the rivers as lines through their cells'
// centres, one a reach between confluences, with Strahler's order. The map
// is cut at its edges: a feature that wraps round is split there and says so.
//
// Coordinates are in metres, x east from the map's west edge and y north from
// its south edge. Land touching diagonally at a corner is two polygons, the
// corner cut back a quarter cell on both, so that no ring touches another or
// itself.

#include "landform/FlowGraph.h"

#include <cstdint>
#include <vector>

struct VectorPoint {
    double x, y;
};

struct VectorPolygon {
    // The first ring the outline (counter-clockwise), the rest its holes
    // (clockwise); each closed, its first point repeated at its end.
    std::vector<std::vector<VectorPoint>> rings;
    bool cutAtMapEdge = false;
};

struct RiverReach {
    std::vector<VectorPoint> line;
    int32_t strahler = 1;
    uint32_t drainedCells = 0;  // at its lower end
    double lengthMetres = 0;
    bool cutAtMapEdge = false;
};

// The cells where the mask is 1, as polygons, in the order of their first
// cell. `wraps`: the map wraps round, so a polygon on its edge is cut there.
std::vector<VectorPolygon> MaskPolygons(int32_t width, int32_t height,
                                        const std::vector<uint8_t>& mask, double cellMetres,
                                        bool wraps);

// The river cells as reaches from each source or confluence down to the next
// confluence, or to the shore (half a cell on from the last river cell), in
// the order of their first cell. Steps across the wrapped edge cut the line.
std::vector<RiverReach> RiverReaches(const FlowGraph& flow, const std::vector<uint8_t>& rivers,
                                     double cellMetres);
