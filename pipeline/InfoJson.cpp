#include "pipeline/InfoJson.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "landform/Biomes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string_view>

namespace {

// Members are written in order, each preceded by a comma but the first.
class JsonWriter {
  public:
    JsonWriter& Open(char bracket) {
        Separate();
        text_ += bracket;
        first_ = true;
        return *this;
    }
    JsonWriter& Close(char bracket) {
        text_ += bracket;
        first_ = false;
        return *this;
    }
    JsonWriter& Key(std::string_view key) {
        Separate();
        text_ += '"';
        text_ += key;  // our own keys: nothing to escape
        text_ += "\":";
        first_ = true;
        return *this;
    }
    // The shortest digits that read back as the same double.
    JsonWriter& Number(double v) {
        Separate();
        if (!std::isfinite(v)) {
            text_ += "null";
            return *this;
        }
        char digits[32];
        text_.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
        return *this;
    }
    template <class Integer> JsonWriter& Whole(Integer v) {
        Separate();
        text_ += std::to_string(v);
        return *this;
    }
    JsonWriter& Word(std::string_view literal) {
        Separate();
        text_ += literal;
        return *this;
    }
    std::string Done() { return text_ + "\n"; }

  private:
    void Separate() {
        if (!first_)
            text_ += ',';
        first_ = false;
    }
    std::string text_;
    bool first_ = true;
};

// The order scripts have always read; parameters the table gains later follow in its order.
constexpr std::string_view reportOrder[] = {"width",
                                            "height",
                                            "seed",
                                            "unitAmount",
                                            "processAmount",
                                            "concentrationRate",
                                            "concentrationAmount",
                                            "concentrationPointCount",
                                            "keepRandomState",
                                            "manualPlacement",
                                            "waterLevel"};

void Parameter(JsonWriter& j, const ParameterRow& row, const GEO_MakeLand& t) {
    j.Key(row.json);
    switch (row.kind) {
    case ParameterKind::Seed:
    case ParameterKind::Integer:
        j.Word(row.Text(t));
        break;
    case ParameterKind::Fraction:
        j.Number(row.Number(t));
        break;
    case ParameterKind::Flag:
        j.Word(row.Number(t) != 0 ? "true" : "false");
        break;
    }
}

void Parameters(JsonWriter& j, const GEO_MakeLand& t, MapFileKind kind) {
    j.Key("file").Word(kind == MapFileKind::Raw ? "\"raw\"" : "\"map\"");
    for (std::string_view key : reportOrder)
        Parameter(j, *FindParameter(key), t);
    for (const ParameterRow& row : ParameterTable()) {
        const auto listed = std::find(std::begin(reportOrder), std::end(reportOrder), row.json);
        if (!row.json.empty() && listed == std::end(reportOrder))
            Parameter(j, row, t);
    }
    j.Key("points").Open('[');
    for (const Point& p : t.concentrationPoints)
        j.Open('{').Key("x").Whole(p.x).Key("y").Whole(p.y).Close('}');
    j.Close(']');
}

void Figures(JsonWriter& j, const LandFigures& f) {
    j.Key("cells").Whole(f.cells);
    j.Key("landCells").Whole(f.land).Key("landShare").Number(f.Share(f.land));
    j.Key("histogram").Open('[');
    for (int k = 0; k < 10; ++k) {
        j.Open('{');
        j.Key("from").Number(k == 0 ? 0.0 : landBandBounds[k - 1]);
        j.Key("to").Number(k == 9 ? 1.0 : landBandBounds[k]);
        j.Key("cells").Whole(f.bands[k]).Key("share").Number(f.Share(f.bands[k]));
        j.Close('}');
    }
    j.Close(']');
    j.Key("lowestCells").Whole(f.lowest).Key("highestCells").Whole(f.highest);
}

void Waters(JsonWriter& j, const WaterFigures& w, uint32_t riverThreshold) {
    j.Key("riverThreshold").Whole(riverThreshold).Key("riverCells").Whole(w.riverCells);
    j.Key("lakeCount").Whole(w.lakeCount).Key("lakeCells").Whole(w.lakeCells);
    j.Key("largestBasinShare").Number(w.largestBasinShare * 100);
}

void Laws(JsonWriter& j, const RiverFigures& f) {
    j.Key("slopeAreaConcavity").Number(f.slopeAreaConcavity);
    j.Key("slopeAreaSteepness").Number(f.slopeAreaSteepness);
    j.Key("hackExponent").Number(f.hackExponent);
    j.Key("drainageDensity").Number(f.drainageDensity);
}

// Shares of the land, not of all cells: what grows where the land is.
void Biomes(JsonWriter& j, const std::vector<uint64_t>& counts) {
    uint64_t land = 0;
    for (const uint64_t c : counts)
        land += c;
    j.Key("biomes").Open('[');
    for (const BiomeInfo& b : BiomeTable()) {
        if (b.biome == Biome::Water)
            continue;
        const uint64_t cells = size_t(b.biome) < counts.size() ? counts[size_t(b.biome)] : 0;
        j.Open('{').Key("biome").Word("\"" + std::string(b.key) + "\"");
        j.Key("name").Word("\"" + std::string(b.english) + "\"");
        j.Key("nameJa").Word("\"" + std::string(b.japanese) + "\"");
        j.Key("cells").Whole(cells);
        j.Key("share").Number(land > 0 ? double(cells) * 100.0 / double(land) : 0.0);
        j.Close('}');
    }
    j.Close(']');
}

}  // namespace

std::string InfoJson(const GEO_MakeLand& terrain, MapFileKind kind, const LandFigures& figures,
                     const WaterFigures* waters, uint32_t riverThreshold,
                     const std::vector<uint64_t>* biomes, const RiverFigures* laws) {
    JsonWriter j;
    j.Open('{');
    Parameters(j, terrain, kind);
    Figures(j, figures);
    if (waters)
        Waters(j, *waters, riverThreshold);
    if (laws)
        Laws(j, *laws);
    if (biomes)
        Biomes(j, *biomes);
    j.Close('}');
    return j.Done();
}
