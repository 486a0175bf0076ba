#include "export/RecipeMap.h"

#include "core/ParameterLimits.h"
#include "export/SettingText.h"

#include <string>

namespace {

// Only once the grid's size is known can the points be held to it.
void CheckPoints(const GEO_MakeLand& t) {
    const size_t count = static_cast<size_t>(t.concentrationPoints.GetSize());
    // A cell records its point's index in 16 bits: a further point would share label 0.
    if (count > limits::maxHandPoints)
        throw RecipeFailure("--point: expected 1 to " + std::to_string(limits::maxHandPoints) +
                            " points, got " + std::to_string(count));
    for (const Point& p : t.concentrationPoints)
        if (p.x < 0 || p.x >= t.width || p.y < 0 || p.y >= t.height)
            throw RecipeFailure("--point: expected X,Y with 0 <= X < " + std::to_string(t.width) +
                                " and 0 <= Y < " + std::to_string(t.height) + ", got " +
                                QuotedText(std::to_string(p.x) + "," + std::to_string(p.y)));
}

const ParameterRow* ParameterOfOption(const std::string& option) {
    for (const ParameterRow& row : ParameterTable())
        if (!row.option.empty() && row.option == option)
            return &row;
    return nullptr;
}

}  // namespace

RecipeMap AppliedRecipe(const std::vector<RecipeSetting>& settings) {
    RecipeMap map;
    for (const RecipeSetting& setting : settings) {
        const std::string value = setting.value.value_or("");
        try {
            if (const ParameterRow* row = ParameterOfOption(setting.option))
                SetParameterText(map.terrain, *row, setting.option, value);
            else if (const StageSetting* stage = FindStageSetting(setting.option);
                     stage && stage->kind != SettingKind::RunOption)
                SetStageSetting(*stage, value, map.terrain, map.options);
            else
                throw RecipeFailure("the recipe holds " + QuotedText(setting.option) +
                                    ", which is not a setting");
        } catch (const SettingRefusal& refusal) {
            throw RecipeFailure(refusal.what());
        }
    }
    CheckPoints(map.terrain);
    return map;
}
