#include "export/GeoJsonFile.h"

#include <charconv>

namespace {

// Shortest text that reads back as the same double.
void AppendNumber(std::string& text, double value) {
    char digits[32];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendPoints(std::string& text, const std::vector<VectorPoint>& points) {
    text += '[';
    for (size_t i = 0; i < points.size(); ++i) {
        text += i ? ",[" : "[";
        AppendNumber(text, points[i].x);
        text += ',';
        AppendNumber(text, points[i].y);
        text += ']';
    }
    text += ']';
}

void AppendPolygon(std::string& text, const char* kind, const VectorPolygon& polygon) {
    text += "{\"type\":\"Feature\",\"properties\":{\"kind\":\"";
    text += kind;
    text += "\",\"cutAtMapEdge\":";
    text += polygon.cutAtMapEdge ? "true" : "false";
    text += "},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[";
    for (size_t r = 0; r < polygon.rings.size(); ++r) {
        if (r)
            text += ',';
        AppendPoints(text, polygon.rings[r]);
    }
    text += "]}}";
}

void AppendRiver(std::string& text, const RiverReach& reach, double cellMetres) {
    text += "{\"type\":\"Feature\",\"properties\":{\"kind\":\"river\",\"strahler\":" +
            std::to_string(reach.strahler) +
            ",\"drainedCells\":" + std::to_string(reach.drainedCells) + ",\"drainedAreaM2\":";
    AppendNumber(text, double(reach.drainedCells) * cellMetres * cellMetres);
    text += ",\"lengthM\":";
    AppendNumber(text, reach.lengthMetres);
    text += ",\"cutAtMapEdge\":";
    text += reach.cutAtMapEdge ? "true" : "false";
    text += "},\"geometry\":{\"type\":\"LineString\",\"coordinates\":";
    AppendPoints(text, reach.line);
    text += "}}";
}

}  // namespace

std::string GeoJsonText(const MapShapes& shapes) {
    std::string text = "{\"type\":\"FeatureCollection\",\"name\":\"glenvar\",\"features\":[";
    bool first = true;
    const auto next = [&text, &first] {
        text += first ? "\n" : ",\n";
        first = false;
    };
    for (const VectorPolygon& polygon : shapes.land) {
        next();
        AppendPolygon(text, "land", polygon);
    }
    for (const VectorPolygon& polygon : shapes.lakes) {
        next();
        AppendPolygon(text, "lake", polygon);
    }
    for (const RiverReach& reach : shapes.rivers) {
        next();
        AppendRiver(text, reach, shapes.cellMetres);
    }
    return text + "\n]}\n";
}
