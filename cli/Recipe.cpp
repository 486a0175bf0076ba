#include "cli/Recipe.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "export/RecipeFile.h"

namespace cli {

std::string RecipeOf(const GEO_MakeLand& t, bool fromParameters, const Options& o) {
    const GEO_MakeLand::GridSize size = t.CellGridSize();
    if (!fromParameters || t.keepRandomState != 0 || !size.formsGrid || size.width != t.width ||
        size.height != t.height)
        return {};
    std::vector<std::string> words = {"glenvar-cli", "generate"};
    for (const ParameterRow& row : ParameterTable()) {
        if (row.option.empty() || row.kind == ParameterKind::Flag)
            continue;  // the only flag with an option is the kept random state
        words.insert(words.end(), {std::string(row.option), row.Text(t)});
    }
    if (t.manualPlacement != 0)
        for (const Point& p : t.concentrationPoints)
            words.insert(words.end(), {"--point", std::to_string(p.x) + "," + std::to_string(p.y)});
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
        words.insert(words.end(), {"--height-range-m", ShortestText(o.heightRangeMetres)});
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
