#include "cli/Recipe.h"

#include "core/GEO_MakeLand.h"
#include "export/RecipeFile.h"

#include <charconv>

namespace cli {

namespace {

// The shortest text that reads back as the same double.
std::string Shortest(double v) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, v);
    return std::string(text, result.ptr);
}

}  // namespace

std::string RecipeOf(const GEO_MakeLand& t, bool fromParameters, const Options& o) {
    const GEO_MakeLand::GridSize size = t.CellGridSize();
    if (!fromParameters || t.keepRandomState != 0 || !size.formsGrid || size.width != t.width ||
        size.height != t.height)
        return {};
    std::vector<std::string> words = {"glenvar-cli",
                                      "generate",
                                      "--seed",
                                      std::to_string(t.seed),
                                      "--width",
                                      std::to_string(t.width),
                                      "--height",
                                      std::to_string(t.height),
                                      "--unit-amount",
                                      std::to_string(t.unitAmount),
                                      "--process-amount",
                                      Shortest(t.processAmount),
                                      "--concentration-rate",
                                      Shortest(t.concentrationRate),
                                      "--concentration-amount",
                                      Shortest(t.concentrationAmount),
                                      "--points",
                                      std::to_string(t.concentrationPointCount)};
    if (t.manualPlacement != 0)
        for (int32_t i = 0; i < t.concentrationPoints.GetSize(); ++i) {
            const Point p = t.concentrationPoints[i];
            words.insert(words.end(), {"--point", std::to_string(p.x) + "," + std::to_string(p.y)});
        }
    words.insert(words.end(), {"--water-level", Shortest(t.waterLevel)});
    if (o.stages.smoothRadius > 0)
        words.insert(words.end(), {"--smooth", std::to_string(o.stages.smoothRadius)});
    if (o.regions)
        words.push_back("--regions");
    if (o.shade)
        words.push_back("--shade");
    if (o.edge == HeightEdge::Repeat)
        words.insert(words.end(), {"--edge", "repeat"});
    if (o.engine)
        words.insert(words.end(), {"--engine", std::string(o.engine->name)});
    if (o.heightRangeMetres != Options().heightRangeMetres)
        words.insert(words.end(), {"--height-range-m", Shortest(o.heightRangeMetres)});
    std::string recipe;
    for (const std::string& w : words)
        recipe += (recipe.empty() ? "" : " ") + RecipeWord(w);
    return recipe;
}

std::vector<std::string> ArgumentsWithRecipe(const std::vector<std::string>& args,
                                             const std::string& recipe) {
    std::vector<std::string> out = {"generate"};
    for (std::string& word : RecipeArguments(recipe))
        out.push_back(std::move(word));
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--recipe") {
            ++i;
            continue;
        }
        if (args[i].rfind("--recipe=", 0) == 0)
            continue;
        out.push_back(args[i]);
    }
    return out;
}

}  // namespace cli
