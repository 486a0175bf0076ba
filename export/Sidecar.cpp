#include "export/Sidecar.h"

#include "core/HeightSample.h"

#include <cstdio>

namespace {

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

}  // namespace

std::string SidecarPath(const std::string& heightmapPath) {
    return heightmapPath + ".json";
}

std::string JsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string SidecarJson(const HeightmapSidecar& s) {
    std::string j = "{\n";
    auto field = [&j](const char* key, const std::string& value, bool last = false) {
        j += std::string("  \"") + key + "\": " + value + (last ? "\n" : ",\n");
    };
    field("width", std::to_string(s.width));
    field("height", std::to_string(s.height));
    field("sampleForm", s.floatSamples ? "\"float32\"" : "\"uint16\"");
    field("byteOrder", s.bigEndian ? "\"big-endian\"" : "\"little-endian\"");
    field("orientation",
          "\"rows from the top (north); the first sample is the north-west corner\"");
    field("edge", s.edge == HeightEdge::Repeat
                      ? "\"repeat: the last row and column repeat the first\""
                      : "\"wrap: the map continues from the last row and column to the first\"");
    // Samples map linearly onto altitudes 0..1 of the map, and those onto metres.
    field("sampleRange", s.floatSamples ? "[0, 1]" : "[0, 65535]");
    field("altitudeRange", "[0, 1]");
    field("heightRangeMetres", Number(s.heightRangeMetres));
    field("seaLevel", Number(s.waterLevel));
    field("seaLevelSample", s.floatSamples ? Number(double(static_cast<float>(s.waterLevel)))
                                           : std::to_string(HeightSample(s.waterLevel)));
    field("seaLevelMetres", Number(s.waterLevel * s.heightRangeMetres));
    if (s.engine) {
        field("engine", JsonQuoted(std::string(s.engine->name)));
        field("engineNote", JsonQuoted(std::string(s.engine->note)));
        if (s.engine->engine == Engine::Unreal) {
            // Sample 32768 is the landscape's zero: lowering it by the sea's
            // samples puts the sea at Z = 0 (centimetres, 128 samples a Z scale step).
            const double zScale = UnrealZScale(s.heightRangeMetres);
            field("unrealZScale", Number(zScale));
            field("unrealLocationZ",
                  Number(0.0 - (double(HeightSample(s.waterLevel)) - 32768.0) * zScale / 128.0));
        }
    }
    if (!s.tiles.empty()) {
        std::string list = "[\n";
        for (size_t i = 0; i < s.tiles.size(); ++i) {
            const HeightTile& t = s.tiles[i].tile;
            list += "    {\"file\": " + JsonQuoted(s.tiles[i].file) +
                    ", \"column\": " + std::to_string(t.column) +
                    ", \"row\": " + std::to_string(t.row) + ", \"x\": " + std::to_string(t.x) +
                    ", \"y\": " + std::to_string(t.y) + ", \"width\": " + std::to_string(t.width) +
                    ", \"height\": " + std::to_string(t.height) + "}" +
                    (i + 1 < s.tiles.size() ? ",\n" : "\n");
        }
        field("tiles", list + "  ]");
    }
    if (s.imported) {
        const ImportedSource& i = *s.imported;
        field("importedFrom",
              "{\"file\": " + JsonQuoted(i.file) + ", \"sampleType\": " + JsonQuoted(i.sampleType) +
                  ", \"units\": " + JsonQuoted(i.units) + ", \"heightBase\": " + Number(i.base) +
                  ", \"heightSpan\": " + Number(i.span) +
                  ", \"boundary\": " + JsonQuoted(i.boundary) + ", \"samples\": " +
                  (s.samplesInUnits ? "\"heights in these units\""
                                    : "\"altitudes 0..1: heightBase + altitude x heightSpan\"") +
                  "}");
    }
    field("recipe", JsonQuoted(s.recipe), true);
    return j + "}\n";
}
