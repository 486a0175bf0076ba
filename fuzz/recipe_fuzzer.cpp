// Recipe reading over arbitrary bytes in every carrier: the first bytes pick
// the form (the seeds hold a PNG, a TIFF, a BigTIFF, an EXR file and a
// sidecar), the reader stays within its bounds, and what it gives is either
// refused in a few words or is settings alone, which read back the same
// when written out again.

#include "FuzzCheck.h"
#include "core/ParameterTable.h"
#include "export/RecipeFile.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsSetting(const std::string& option) {
    if (const StageSetting* stage = FindStageSetting(option))
        return stage->kind != SettingKind::RunOption;  // the tiles are no recipe's
    for (const ParameterRow& row : ParameterTable())
        if (!row.option.empty() && row.option == option)
            return true;
    return false;
}

// A refusal names what it refuses, cut short: never a flood of the input.
void CheckRefusal(const RecipeFailure& failure) {
    FUZZ_CHECK(std::strlen(failure.what()) > 0 && std::strlen(failure.what()) < 200);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string recipe;
    std::vector<RecipeSetting> settings;
    try {
        recipe = RecipeOfBytes(bytes);
        FUZZ_CHECK(!recipe.empty() && recipe.size() <= size);
        settings = RecipeSettings(recipe);
    } catch (const RecipeFailure& failure) {
        CheckRefusal(failure);
        return 0;
    }
    std::string again = "glenvar-cli generate";
    try {
        for (const RecipeSetting& setting : settings) {
            FUZZ_CHECK(IsSetting(setting.option));
            again += " " + RecipeWord(setting.option);
            if (setting.value)
                again += " " + RecipeWord(*setting.value);
        }
    } catch (const RecipeFailure&) {
        return 0;  // a value with a single quote has no quoted form
    }
    FUZZ_CHECK(RecipeSettings(again) == settings);
    return 0;
}
