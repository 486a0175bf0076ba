#include "export/RecipeText.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "export/SettingText.h"

namespace {

// The words after "glenvar-cli generate", unquoted as a shell would.
std::vector<std::string> RecipeWords(const std::string& recipe) {
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
    words.erase(words.begin(), words.begin() + 2);
    return words;
}

// Control bytes have no place in a recipe's words, and a NUL would cut the
// text short wherever it is passed on as a C string.
void RefuseControlBytes(const std::string& recipe) {
    for (const char c : recipe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            static const char digits[] = "0123456789ABCDEF";
            throw RecipeFailure(std::string("the recipe holds the control byte 0x") +
                                digits[byte >> 4] + digits[byte & 15]);
        }
    }
}

const ParameterRow* ParameterOption(std::string_view option) {
    for (const ParameterRow& row : ParameterTable())
        if (!row.option.empty() && row.option == option)
            return &row;
    return nullptr;
}

}  // namespace

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
    for (const StageSetting& setting : StageSettings()) {
        if (setting.kind == SettingKind::RunOption)
            continue;
        for (const std::string& value : StageTexts(setting, t, o)) {
            words.push_back(std::string(setting.option));
            if (!value.empty())
                words.push_back(value);
        }
    }
    std::string recipe;
    for (const std::string& w : words)
        recipe += (recipe.empty() ? "" : " ") + RecipeWord(w);
    return recipe;
}

std::vector<RecipeSetting> RecipeSettings(const std::string& recipe) {
    if (recipe.size() > maxRecipeBytes)
        throw RecipeFailure("the recipe is longer than " + std::to_string(maxRecipeBytes >> 20) +
                            " MiB");
    RefuseControlBytes(recipe);
    const std::vector<std::string> words = RecipeWords(recipe);
    // Values are read into scratch settings only to check them.
    GEO_MakeLand terrain;
    RecipeOptions options;
    std::vector<RecipeSetting> settings;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const size_t equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
        RecipeSetting setting{word.substr(0, equals), {}};
        const ParameterRow* row = ParameterOption(setting.option);
        const StageSetting* stage = row ? nullptr : FindStageSetting(setting.option);
        if (stage && stage->kind == SettingKind::RunOption)
            stage = nullptr;  // the run's own choice, never the recipe's
        if (!row && !stage)
            throw RecipeFailure("the recipe holds " + QuotedText(setting.option) +
                                ", which is not a setting");
        const bool takesValue = row ? row->kind != ParameterKind::Flag : stage->takesValue;
        if (equals != std::string::npos) {
            setting.value = word.substr(equals + 1);
            if (!takesValue)
                throw RecipeFailure(setting.option + ": takes no value, got " +
                                    QuotedText(*setting.value));
        } else if (takesValue) {
            if (i + 1 >= words.size())
                throw RecipeFailure(setting.option + ": missing value");
            setting.value = words[++i];
        }
        try {
            const std::string value = setting.value.value_or("");
            if (row)
                SetParameterText(terrain, *row, setting.option, value);
            else
                SetStageSetting(*stage, value, terrain, options);
        } catch (const SettingRefusal& refusal) {
            throw RecipeFailure(refusal.what());
        }
        settings.push_back(std::move(setting));
    }
    return settings;
}

std::string RecipeWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" '\"\\$`!*?[]{}()<>|&;#~\t\n") == std::string::npos)
        return word;
    if (word.find('\'') != std::string::npos)
        throw RecipeFailure("a recipe word cannot hold a single quote");
    return "'" + word + "'";
}
