#include "cli/RecipeArguments.h"

namespace cli {

std::vector<std::string> ArgumentsWithRecipe(const std::vector<std::string>& args,
                                             const std::vector<RecipeSetting>& recipe) {
    std::vector<std::string> out = {"generate"};
    // Each setting as its option and, apart, its value, so the parser takes
    // the value as that option's whatever it looks like.
    for (const RecipeSetting& setting : recipe) {
        out.push_back(setting.option);
        if (setting.value)
            out.push_back(*setting.value);
    }
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
