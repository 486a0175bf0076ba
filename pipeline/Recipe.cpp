#include "pipeline/Recipe.h"

#include "export/RecipeText.h"

std::string RecipeOf(const GEO_MakeLand& terrain, bool fromParameters,
                     const PipelineSettings& settings) {
    return RecipeText(terrain, fromParameters, settings.recipe);
}
