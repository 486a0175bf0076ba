// What the page's worker calls: plain values in, typed arrays and texts out.

#include "web/bindings/WebMap.h"

#include "core/EditNumbers.h"
#include "core/ParameterTable.h"
#include "core/SliderScale.h"
#include "export/FileForm.h"
#include "export/RecipeText.h"
#include "export/SettingText.h"
#include "export/StageSettings.h"
#include "landform/Biomes.h"

#include "resources/Strings.h"
#include "resources/ViewStrings.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using emscripten::val;

namespace {

WebMap& Map() {
    static WebMap map;
    return map;
}

// Results stay here until the next call, while JavaScript copies them out.
template <class T> val Held(std::vector<T> data) {
    static std::vector<T> held;
    held = std::move(data);
    return val(emscripten::typed_memory_view(held.size(), held.data()));
}

// The page hears each report as (phase name, done, total).
ProgressSink Reporter(val callback) {
    return [callback](GEO_MakeLand&, const ProgressReport& report) {
        callback(std::string(PhaseName(report.phase)), report.done, report.total);
        return true;
    };
}

// The stages after generation report the same way, under their own phase names.
StageSink StageReporter(val callback) {
    return [callback](const ProgressReport& report) {
        callback(std::string(PhaseName(report.phase)), report.done, report.total);
        return true;
    };
}

PointArray PointsFrom(const val& list) {
    PointArray points;
    const int n = list["length"].as<int>();
    for (int i = 0; i < n; ++i)
        points.Add({list[i][0].as<int32_t>(), list[i][1].as<int32_t>()});
    return points;
}

// The seed travels as a decimal text: it has 64 bits, more than a JS number holds.
uint64_t SeedFrom(const std::string& text) {
    uint64_t seed = 0;
    std::from_chars(text.data(), text.data() + text.size(), seed);
    return seed;
}

// Each parameter under its table name: the seed as decimal text (64 bits, more
// than a JS number holds), flags as booleans, the rest as numbers.
void ReadParameters(const val& p, GEO_MakeLand& settings) {
    for (const ParameterRow& row : ParameterTable()) {
        const val v = p[std::string(row.name)];
        if (row.kind == ParameterKind::Seed)
            settings.seed = SeedFrom(v.as<std::string>());
        else if (row.kind == ParameterKind::Flag)
            row.SetNumber(settings, v.as<bool>() ? 1 : 0);
        else
            row.SetNumber(settings, v.as<double>());
    }
}

void WriteParameters(const GEO_MakeLand& t, val& out) {
    for (const ParameterRow& row : ParameterTable()) {
        const std::string name(row.name);
        if (row.kind == ParameterKind::Seed)
            out.set(name, row.Text(t));
        else if (row.kind == ParameterKind::Flag)
            out.set(name, row.Number(t) != 0);
        else
            out.set(name, row.Number(t));
    }
}

std::string Generate(val p, val progress) {
    GEO_MakeLand settings;
    ReadParameters(p, settings);
    settings.concentrationPoints = PointsFrom(p["points"]);
    return Map().Generate(settings, Reporter(progress));
}

val Load(val bytes) {
    std::vector<unsigned char> copy(bytes["length"].as<size_t>());
    val(emscripten::typed_memory_view(copy.size(), copy.data())).call<void>("set", bytes);
    std::string message;
    const LoadResult result = Map().Load(std::move(copy), message);
    static constexpr const char* kinds[] = {"map", "raw", "none", "failed"};
    val out = val::object();
    out.set("kind", kinds[static_cast<int>(result)]);
    out.set("message", message);
    return out;
}

// Heights the page decoded: {name, sampleType, units ("unitless", "metre",
// "foot"), sampleBits, width, height, heights (Float64Array, row by row),
// noData (Uint8Array, 1 a cell without a height; null for none), noDataValue
// (null for none)}, its edges joined when `wrap`. "" when the map was made,
// else the refusal.
std::string ImportHeights(val file, bool wrap) {
    ImportedHeights imported;
    imported.path = file["name"].as<std::string>();
    imported.sampleType = file["sampleType"].as<std::string>();
    const std::string units = file["units"].as<std::string>();
    imported.units = units == "metre"  ? HeightUnits::Metres
                     : units == "foot" ? HeightUnits::Feet
                                       : HeightUnits::Unitless;
    imported.sampleBits = file["sampleBits"].as<int32_t>();
    AltitudeGrid& g = imported.heights;
    g.width = file["width"].as<int32_t>();
    g.height = file["height"].as<int32_t>();
    const val heights = file["heights"];
    g.altitudes.resize(heights["length"].as<size_t>());
    val(emscripten::typed_memory_view(g.altitudes.size(), g.altitudes.data()))
        .call<void>("set", heights);
    const val noData = file["noData"];
    if (!noData.isNull() && !noData.isUndefined()) {
        g.noData.resize(noData["length"].as<size_t>());
        val(emscripten::typed_memory_view(g.noData.size(), g.noData.data()))
            .call<void>("set", noData);
    }
    const val noDataValue = file["noDataValue"];
    if (noDataValue.isNumber())
        imported.geo.noData = noDataValue.as<double>();
    return Map().Import(std::move(imported), wrap);
}
void SetImportedWrap(bool wrap) {
    Map().SetImportedWrap(wrap);
}

// The terrain's parameters, for the form after a load.
val Parameters() {
    const GEO_MakeLand& t = Map().terrain();
    val out = val::object();
    WriteParameters(t, out);
    val points = val::array();
    for (const Point& p : t.concentrationPoints) {
        val pair = val::array();
        pair.call<void>("push", p.x, p.y);
        points.call<void>("push", pair);
    }
    out.set("points", points);
    int32_t w = 0, h = 0;
    Map().GridSize(w, h);
    out.set("gridWidth", w);
    out.set("gridHeight", h);
    return out;
}

val Render(bool regions, val progress) {
    return Held(Map().Render(regions, Reporter(progress), StageReporter(progress)));
}

val PlacementPicture(int32_t width, int32_t height, val list) {
    return Held(WebMap::PlacementPicture(width, height, PointsFrom(list)));
}

// A stage setting's number from the page, held to its row as glenvar-cli
// holds it; the refusal in glenvar-cli's words, "" when every value fits.
std::string StageNumber(const val& s, StageSettingId id, double& into) {
    const StageSetting& row = StageRow(id);
    const StageReading read = CheckStageNumber(row, s[std::string(row.link)].as<double>());
    if (const auto* refusal = std::get_if<StageRefusal>(&read))
        return CommandLineWords(*refusal);
    into = std::get<StageValue>(read).number;
    return {};
}

// The climate's rows and the colours as the page holds them: the lapse rate
// a number, the others their text as glenvar-cli reads it; into `options`
// through the rows, so that a wind's long name means what glenvar-cli means.
std::string ReadClimate(const val& s, RecipeOptions& options) {
    using Id = StageSettingId;
    for (const Id id : {Id::Latitudes, Id::LapseRate, Id::WindFrom, Id::Colours}) {
        const StageSetting& row = StageRow(id);
        const val v = s[std::string(row.link)];
        const StageReading read = row.type == SettingType::Number
                                      ? CheckStageNumber(row, v.as<double>())
                                      : ReadStageText(row, v.as<std::string>());
        if (const auto* refusal = std::get_if<StageRefusal>(&read))
            return CommandLineWords(*refusal);
        SetStageValue(row, std::get<StageValue>(read), options);
    }
    return {};
}

// Erosion's further laws as the page holds them: the numbers, the
// cross-lakes switch a bool, the flow directions their word; into `options`
// through the rows, so that each is refused where glenvar-cli refuses it.
std::string ReadErosionLaws(const val& s, RecipeOptions& options) {
    using Id = StageSettingId;
    for (const Id id : {Id::Uplift, Id::Deposition, Id::Diffusion, Id::CrossLakes, Id::Droplets,
                        Id::FlowDirections}) {
        const StageSetting& row = StageRow(id);
        const val v = s[std::string(row.link)];
        if (row.type == SettingType::Switch) {
            // A switch is set by being named; unnamed it keeps its default.
            if (v.as<bool>())
                SetStageValue(row, StageValue{}, options);
            continue;
        }
        const StageReading read = row.type == SettingType::Choice
                                      ? ReadStageText(row, v.as<std::string>())
                                      : CheckStageNumber(row, v.as<double>());
        if (const auto* refusal = std::get_if<StageRefusal>(&read))
            return CommandLineWords(*refusal);
        SetStageValue(row, std::get<StageValue>(read), options);
    }
    return {};
}

// The stages the page's controls set, each under its row's link key. A value
// out of its row's range (NaN included) changes nothing and comes back as
// the refusal's text; "" when the stages were set.
std::string SetStages(val s) {
    using Id = StageSettingId;
    double smooth = 0, erode = 0, k = 0, thermal = 0, rivers = 0;
    for (auto [id, into] : {std::pair{Id::Smooth, &smooth},
                            {Id::Erode, &erode},
                            {Id::ErosionK, &k},
                            {Id::Thermal, &thermal},
                            {Id::Rivers, &rivers}})
        if (std::string refused = StageNumber(s, id, *into); !refused.empty())
            return refused;
    const StageSetting& edge = StageRow(Id::Edge);
    const StageReading edgeRead = ReadStageText(edge, s[std::string(edge.link)].as<std::string>());
    if (const auto* refusal = std::get_if<StageRefusal>(&edgeRead))
        return CommandLineWords(*refusal);
    RecipeOptions climate;
    if (std::string refused = ReadClimate(s, climate); !refused.empty())
        return refused;
    RecipeOptions laws;
    if (std::string refused = ReadErosionLaws(s, laws); !refused.empty())
        return refused;
    WebStages stages;
    stages.climate = climate.climate;
    stages.biomeColours = climate.biomeColours;
    stages.landform = laws.stages;
    stages.landform.smoothRadius = int32_t(smooth);
    stages.landform.erodeSteps = int32_t(erode);
    stages.landform.erodibility = k;
    stages.landform.thermalSteps = int32_t(thermal);
    stages.riverThreshold = uint32_t(rivers);
    stages.shade = s[std::string(StageRow(Id::Shade).link)].as<bool>();
    stages.edge =
        std::get<StageValue>(edgeRead).number != 0 ? HeightEdge::Repeat : HeightEdge::Wrap;
    Map().SetStages(stages);
    return {};
}

// The stage settings a page address carries, in glenvar-cli's order: {name
// (the link key), option, type, low, high, fallback (the default as text),
// choices, description, expected, and the page's field: japanese, englishLabel,
// gloss, step, slider}.
val StageTable() {
    val rows = val::array();
    for (const StageSetting& row : StageSettings()) {
        if (row.link.empty())
            continue;
        val r = val::object();
        r.set("name", std::string(row.link));
        r.set("option", std::string(row.option));
        r.set("type", std::string(SettingTypeName(row.type)));
        r.set("low", row.low);
        r.set("high", row.high);
        r.set("fallback", std::string(row.fallback));
        val choices = val::array();
        for (size_t start = 0; !row.choices.empty() && start <= row.choices.size();) {
            const size_t bar = std::min(row.choices.find('|', start), row.choices.size());
            choices.call<void>("push", std::string(row.choices.substr(start, bar - start)));
            start = bar + 1;
        }
        r.set("choices", choices);
        r.set("description", std::string(row.description));
        r.set("expected", ExpectedText(row));
        r.set("japanese", std::string(row.japanese));
        r.set("englishLabel", std::string(row.englishLabel));
        r.set("gloss", std::string(row.gloss));
        r.set("step", row.step);
        r.set("slider", row.slider);
        rows.call<void>("push", r);
    }
    return rows;
}

// A stage setting's text from an address or a field, read as glenvar-cli
// reads it: {value} (a number, a choice's word, true for a switch, [x, y]
// for a point), or {expected, got} as glenvar-cli would refuse it.
val ParseStage(const std::string& link, const std::string& text) {
    val out = val::object();
    const StageSetting* row = nullptr;
    for (const StageSetting& r : StageSettings())
        if (!link.empty() && r.link == link)
            row = &r;
    if (row == nullptr) {
        out.set("expected", std::string("a stage setting"));
        out.set("got", QuotedText(link));
        return out;
    }
    const StageReading read = ReadStageText(*row, text);
    if (const auto* refusal = std::get_if<StageRefusal>(&read)) {
        out.set("expected", refusal->expected);
        out.set("got", refusal->got);
        return out;
    }
    const StageValue v = std::get<StageValue>(read);
    switch (row->type) {
    case SettingType::Choice:
        out.set("value", val(text));
        break;
    case SettingType::Switch:
        out.set("value", true);
        break;
    case SettingType::Point:
    case SettingType::Tiles: {
        val pair = val::array();
        pair.call<void>("push", v.first, v.second);
        out.set("value", pair);
        break;
    }
    case SettingType::Span: {
        val pair = val::array();
        pair.call<void>("push", v.number, v.other);
        out.set("value", pair);
        break;
    }
    case SettingType::Integer:
    case SettingType::Number:
        out.set("value", v.number);
        break;
    }
    return out;
}

// {width, height, samples}: the grid's heights, or the heightmap file's
// (closed by the stages' edge) when asFile; 16-bit samples, or floats.
val HeightSamples(bool asFile, bool floats) {
    int32_t w = 0, h = 0;
    val samples =
        floats ? Held(Map().HeightFloats(asFile, w, h)) : Held(Map().HeightSamples(asFile, w, h));
    val out = val::object();
    out.set("width", w);
    out.set("height", h);
    out.set("samples", samples);
    return out;
}
std::string Recipe(bool regions) {
    return Map().Recipe(regions);
}
std::string Sidecar(bool floatSamples, bool bigEndian, bool regions) {
    return Map().Sidecar(floatSamples, bigEndian, Map().Recipe(regions));
}

// A recipe as the page's address: each setting under its link key (a
// parameter's, or the stage setting's), so that the address's reading checks
// its values again; settings without a key (the engine's, which change no
// sample) are left out. null for a recipe that RecipeSettings refuses, with
// the same refusals as glenvar-cli --recipe.
val RecipeAddress(const std::string& recipe) {
    std::vector<RecipeSetting> settings;
    try {
        settings = RecipeSettings(recipe);
    } catch (const RecipeFailure&) {
        return val::null();
    }
    val pairs = val::array();
    for (const RecipeSetting& setting : settings) {
        const ParameterRow* row = FindParameter(setting.option);
        const StageSetting* stage = row ? nullptr : FindStageSetting(setting.option);
        const std::string link(row ? row->link : stage->link);
        if (link.empty())
            continue;
        val pair = val::array();
        pair.call<void>("push", link, setting.value.value_or("1"));  // a switch is on
        pairs.call<void>("push", pair);
    }
    return pairs;
}
// {bytes} of the shown map's .glb (glb) or .stl, or {message, englishMessage};
// `options` holds errorMetres, cellSizeMetres, heightRangeMetres, baseMm and
// printSizeMm, each left out for glenvar-cli's default.
val MeshBytes(bool glb, val options, val picturePng) {
    WebMeshOptions o;
    const auto take = [&options](const char* name, double& value) {
        if (!options[name].isUndefined())
            value = options[name].as<double>();
    };
    take("errorMetres", o.errorMetres);
    take("cellSizeMetres", o.cellSizeMetres);
    take("heightRangeMetres", o.heightRangeMetres);
    take("baseMm", o.baseMm);
    take("printSizeMm", o.printSizeMm);
    std::vector<unsigned char> png(picturePng["length"].as<size_t>());
    val(emscripten::typed_memory_view(png.size(), png.data())).call<void>("set", picturePng);
    std::string message;
    std::vector<unsigned char> bytes = Map().MeshBytes(glb, o, png, message);
    val out = val::object();
    if (!message.empty()) {
        out.set("message", message);
        out.set("englishMessage", Map().EnglishFailure());
    } else {
        out.set("bytes", Held(std::move(bytes)));
    }
    return out;
}
val MapFileBytes() {
    return Held(Map().MapFileBytes());
}
val RawFileBytes() {
    return Held(Map().RawFileBytes());
}
std::string Report() {
    return Map().Report();
}
std::string EnglishReport() {
    return Map().Report(ReportLanguage::English);
}
// Every biome by id: {key, english, japanese, colour ("#rrggbb")}, for the legend.
val BiomeList() {
    val list = val::array();
    for (const BiomeInfo& b : BiomeTable()) {
        val entry = val::object();
        entry.set("key", std::string(b.key));
        entry.set("english", std::string(b.english));
        entry.set("japanese", std::string(b.japanese));
        static constexpr char digits[] = "0123456789abcdef";
        std::string colour = "#";
        for (int shift = 20; shift >= 0; shift -= 4)
            colour += digits[(b.rgb >> shift) & 0xF];
        entry.set("colour", colour);
        list.call<void>("push", entry);
    }
    return list;
}
val BiomeCells() {
    return Held(Map().BiomeCells());
}
std::string EnglishFailure() {
    return Map().EnglishFailure();
}
void SetWaterLevel(double level) {
    Map().SetWaterLevel(level);
}

const char* KindName(ParameterKind kind) {
    switch (kind) {
    case ParameterKind::Seed:
        return "seed";
    case ParameterKind::Integer:
        return "integer";
    case ParameterKind::Fraction:
        return "fraction";
    case ParameterKind::Flag:
        break;
    }
    return "flag";
}

// The parameter table, for the page's form and address.
val Table() {
    val rows = val::array();
    for (const ParameterRow& row : ParameterTable()) {
        val r = val::object();
        r.set("name", std::string(row.name));
        r.set("link", std::string(row.link));
        r.set("kind", std::string(KindName(row.kind)));
        r.set("low", row.low);
        r.set("high", row.high);
        r.set("editHigh", row.editHigh);
        r.set("slider", row.slider != SliderScale::Kind::None);
        r.set("sliderLow", row.sliderLow);
        r.set("sliderHigh", row.SliderHigh());
        r.set("description", std::string(row.description));
        rows.call<void>("push", r);
    }
    return rows;
}

const ParameterRow& RowNamed(const std::string& name) {
    const ParameterRow* row = FindParameter(name);
    return row ? *row : ParameterTable().front();
}

// The edits' and sliders' arithmetic, the dialogs' own; null for a refused read.
val ParseInt32(const std::string& text) {
    const auto value = EditNumbers::ParseInt32(std::string_view(text));
    return value ? val(*value) : val::null();
}
val ParseUInt32(const std::string& text) {
    const auto value = EditNumbers::ParseUInt32(std::string_view(text));
    return value ? val(double(*value)) : val::null();
}
// The seed edit's read: its decimal text, null for no number, "range" above 64 bits.
val ParseSeed(const std::string& text) {
    const EditNumbers::SeedRead seed = EditNumbers::ParseSeed(std::string_view(text));
    if (!seed.number)
        return val::null();
    return val(seed.tooLarge ? std::string("range") : std::to_string(seed.value));
}

int32_t SliderPosition(const std::string& name, double value) {
    return SliderScale::Position(RowNamed(name).slider, value);
}
double SliderValue(const std::string& name, int32_t position) {
    return SliderScale::Value(RowNamed(name).slider, position);
}
std::string SliderLabel(const std::string& name, int32_t position) {
    return SliderScale::Label(RowNamed(name).slider, position);
}

// The desktop program's own texts, so the page cannot drift from them.
val Texts() {
    val t = val::object();
    const std::pair<const char*, const char*> texts[] = {
        {"appTitle", Strings::AppTitle},
        {"generateCaption", Strings::GenerateCaption},
        {"seed", Strings::SeedLabel},
        {"width", Strings::WidthLabel},
        {"height", Strings::HeightLabel},
        {"processAmount", Strings::ProcessAmountLabel},
        {"pointCount", Strings::PointCountLabel},
        {"concentrationRate", Strings::ConcentrationRateLabel},
        {"concentrationAmount", Strings::ConcentrationAmountLabel},
        {"unitAmount", Strings::UnitAmountLabel},
        {"manualPlacement", Strings::ManualPlacement},
        {"keepRandomState", Strings::KeepRandomState},
        {"twoThreads", Strings::TwoThreads},
        {"enterPositiveInteger", Strings::EnterPositiveInteger},
        {"enterInteger", Strings::EnterInteger},
        {"enterIntegerInRange", Strings::EnterIntegerInRange},
        {"progressCaption", Strings::ProgressCaption},
        {"waterLevelCaption", Strings::WaterLevelCaption},
        {"waterLevel", Strings::WaterLevelLabel},
        {"infoCaption", Strings::InfoCaption},
        {"phaseGenerate", Strings::ProgressPhase},
        {"phaseRender", ViewStrings::PhaseRender},
        {"preparing", ViewStrings::StatusPreparing},
        {"normalising", ViewStrings::StatusNormalising},
        {"placementInstruction", ViewStrings::PlacementInstruction},
    };
    for (const auto& [key, text] : texts)
        t.set(key, std::string(text));
    return t;
}

// The file forms, keyed as the page names them: {map: {extension, description}, ...}.
val FileFormList() {
    static constexpr const char* keys[] = {
        "map",          "raw",           "picture",        "heightmapPng",
        "heightmapR16", "heightmapTiff", "heightmapExr",   "meshGlb",
        "meshStl",      "meshObj",       "vectorsGeoJson", "vectorsGeoPackage"};
    static_assert(std::size(keys) == size_t(FileFormId::VectorsGeoPackage) + 1);
    val forms = val::object();
    for (const FileForm& form : FileForms()) {
        val entry = val::object();
        entry.set("extension", std::string(form.extension));
        entry.set("description", std::string(form.description));
        forms.set(keys[static_cast<size_t>(form.id)], entry);
    }
    return forms;
}

}  // namespace

EMSCRIPTEN_BINDINGS(glenvar) {
    emscripten::function("generate", &Generate);
    emscripten::function("load", &Load);
    emscripten::function("importHeights", &ImportHeights);
    emscripten::function("setImportedWrap", &SetImportedWrap);
    emscripten::function("parameters", &Parameters);
    emscripten::function("render", &Render);
    emscripten::function("placementPicture", &PlacementPicture);
    emscripten::function("setStages", &SetStages);
    emscripten::function("heightSamples", &HeightSamples);
    emscripten::function("recipe", &Recipe);
    emscripten::function("sidecar", &Sidecar);
    emscripten::function("recipeAddress", &RecipeAddress);
    emscripten::function("meshBytes", &MeshBytes);
    emscripten::function("mapFileBytes", &MapFileBytes);
    emscripten::function("rawFileBytes", &RawFileBytes);
    emscripten::function("report", &Report);
    emscripten::function("englishReport", &EnglishReport);
    emscripten::function("englishFailure", &EnglishFailure);
    emscripten::function("biomeTable", &BiomeList);
    emscripten::function("biomeCells", &BiomeCells);
    emscripten::function("setWaterLevel", &SetWaterLevel);
    emscripten::function("texts", &Texts);
    emscripten::function("parameterTable", &Table);
    emscripten::function("stageTable", &StageTable);
    emscripten::function("parseStage", &ParseStage);
    emscripten::function("parseInt32", &ParseInt32);
    emscripten::function("parseUInt32", &ParseUInt32);
    emscripten::function("parseSeed", &ParseSeed);
    emscripten::function("sliderPosition", &SliderPosition);
    emscripten::function("sliderValue", &SliderValue);
    emscripten::function("sliderLabel", &SliderLabel);
    emscripten::function("fixed", &SliderScale::Fixed);
    emscripten::function("fileForms", &FileFormList);
}
