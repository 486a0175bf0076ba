#include "export/RecipeText.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"

std::string RecipeText(const GEO_MakeLand& t, bool fromParameters, const RecipeOptions& o) {
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
    if (o.stages.erodeSteps > 0)
        words.insert(words.end(), {"--erode", std::to_string(o.stages.erodeSteps), "--erodibility",
                                   ShortestText(o.stages.erodibility)});
    if (o.stages.thermalSteps > 0)
        words.insert(words.end(), {"--thermal", std::to_string(o.stages.thermalSteps)});
    if (o.riverThreshold > 0)
        words.insert(words.end(), {"--rivers", std::to_string(o.riverThreshold)});
    if (o.regions)
        words.push_back("--regions");
    if (o.shade)
        words.push_back("--shade");
    if (o.edge == HeightEdge::Repeat)
        words.insert(words.end(), {"--edge", "repeat"});
    if (o.engine)
        words.insert(words.end(), {"--engine", std::string(o.engine->name)});
    if (o.heightRangeMetres != RecipeOptions().heightRangeMetres)
        words.insert(words.end(), {"--height-range-m", ShortestText(o.heightRangeMetres)});
    std::string recipe;
    for (const std::string& w : words)
        recipe += (recipe.empty() ? "" : " ") + RecipeWord(w);
    return recipe;
}

std::vector<std::string> RecipeArguments(const std::string& recipe) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < recipe.size(); ++i) {
        const char c = recipe[i];
        if (c == ' ') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '\'') {
            const size_t end = recipe.find('\'', i + 1);
            if (end == std::string::npos)
                throw RecipeFailure("the recipe has an unclosed quote");
            word += recipe.substr(i + 1, end - i - 1);
            inWord = true;
            i = end;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    if (words.size() < 2 || words[0] != "glenvar-cli" || words[1] != "generate")
        throw RecipeFailure("the recipe is not a glenvar-cli generate command");
    return {words.begin() + 2, words.end()};
}

std::string RecipeWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" '\"\\$`!*?[]{}()<>|&;#~\t\n") == std::string::npos)
        return word;
    if (word.find('\'') != std::string::npos)
        throw std::invalid_argument("a recipe word cannot hold a single quote");
    return "'" + word + "'";
}
