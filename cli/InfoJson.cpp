#include "cli/InfoJson.h"

#include "core/GEO_MakeLand.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace cli {

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

void Parameters(JsonWriter& j, const GEO_MakeLand& t, MapFileKind kind) {
    j.Key("file").Word(kind == MapFileKind::Raw ? "\"raw\"" : "\"map\"");
    j.Key("width").Whole(t.width).Key("height").Whole(t.height);
    j.Key("seed").Whole(t.seed);
    j.Key("unitAmount").Whole(t.unitAmount);
    j.Key("processAmount").Number(t.processAmount);
    j.Key("concentrationRate").Number(t.concentrationRate);
    j.Key("concentrationAmount").Number(t.concentrationAmount);
    j.Key("concentrationPointCount").Whole(t.concentrationPointCount);
    j.Key("keepRandomState").Word(t.keepRandomState ? "true" : "false");
    j.Key("manualPlacement").Word(t.manualPlacement ? "true" : "false");
    j.Key("waterLevel").Number(t.waterLevel);
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

}  // namespace

std::string InfoJson(const GEO_MakeLand& terrain, MapFileKind kind, const LandFigures& figures) {
    JsonWriter j;
    j.Open('{');
    Parameters(j, terrain, kind);
    Figures(j, figures);
    j.Close('}');
    return j.Done();
}

}  // namespace cli
