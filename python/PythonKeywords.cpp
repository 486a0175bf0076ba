#include "python/PythonKeywords.h"

#include <cctype>
#include <cmath>

namespace glenvar_python {

namespace {

// Python's float literal: the shortest round trip, always with a point or an
// exponent so that the stub's default is a float as the runtime's is.
std::string FloatLiteral(double value) {
    std::string text = ShortestText(value);
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

}  // namespace

std::string ParameterKeyword(const ParameterRow& row) {
    std::string keyword;
    for (const char c : row.name) {
        if (std::isupper(static_cast<unsigned char>(c)))
            keyword += '_';
        keyword += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return keyword;
}

std::string StubKeyword(const ParameterRow& row) {
    const std::string keyword = ParameterKeyword(row);
    switch (row.kind) {
    case ParameterKind::Seed:
        return keyword + ": int = " + std::to_string(NewTerrain().seed);
    case ParameterKind::Integer:
        return keyword + ": int = " + std::to_string(int64_t(row.Default()));
    case ParameterKind::Fraction:
        return keyword + ": float = " + FloatLiteral(row.Default());
    case ParameterKind::Flag:
        break;
    }
    return keyword + ": bool = " + (row.Default() != 0 ? "True" : "False");
}

std::string StubKeyword(const StageSetting& row) {
    const std::string keyword(row.keyword);
    switch (row.type) {
    case SettingType::Integer:
        return keyword + ": int = " + std::to_string(int64_t(StageDefault(row)));
    case SettingType::Number:
        return keyword + ": float = " + FloatLiteral(StageDefault(row));
    case SettingType::Switch:
        return keyword + ": bool = False";
    case SettingType::Choice:
        if (row.fallback.empty())
            return keyword + ": Optional[str] = None";
        return keyword + ": str = \"" + std::string(row.fallback) + "\"";
    case SettingType::Point:
    case SettingType::Tiles:
    case SettingType::Span:
        break;
    }
    return keyword + ": Any = None";
}

}  // namespace glenvar_python
