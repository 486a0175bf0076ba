// Writes the package's type stub from its template: each line that holds only
// a placeholder such as @GENERATE_KEYWORDS@ becomes the keyword lines the
// settings rows give, at the placeholder's indentation.
//
//   glenvar_write_stub TEMPLATE OUTPUT

#include "python/PythonKeywords.h"

#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Id = StageSettingId;

std::vector<std::string> StageKeywords(std::initializer_list<Id> ids) {
    std::vector<std::string> lines;
    for (const Id id : ids)
        lines.push_back(glenvar_python::StubKeyword(StageRow(id)));
    return lines;
}

// generate's parameters are those glenvar-cli takes an option for.
std::vector<std::string> GenerateKeywords() {
    std::vector<std::string> lines;
    for (const ParameterRow& row : ParameterTable())
        if (!row.option.empty())
            lines.push_back(glenvar_python::StubKeyword(row));
    return lines;
}

const std::map<std::string, std::vector<std::string>>& Placeholders() {
    static const std::map<std::string, std::vector<std::string>> lines = {
        {"@GENERATE_KEYWORDS@", GenerateKeywords()},
        {"@ERODE_KEYWORDS@",
         StageKeywords({Id::ErosionK, Id::Thermal, Id::Uplift, Id::Deposition, Id::Diffusion,
                        Id::CrossLakes, Id::Droplets, Id::FlowDirections})},
        {"@PICTURE_KEYWORDS@", StageKeywords({Id::Regions, Id::Shade, Id::Rivers})},
        {"@INFO_KEYWORDS@", StageKeywords({Id::Rivers})},
        {"@SAVE_KEYWORDS@", StageKeywords({Id::Regions, Id::Shade, Id::Rivers})},
    };
    return lines;
}

// The template's text with every placeholder line filled; an unknown
// placeholder is an error, so a typo cannot leave a keyword out silently.
bool Filled(std::istream& in, std::ostream& out, std::string& error) {
    std::string line;
    while (std::getline(in, line)) {
        // A placeholder is a line of its own, @NAME@; a decorator is not one.
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line[start] != '@' || line.back() != '@' ||
            line.size() - start < 3) {
            out << line << '\n';
            continue;
        }
        const auto found = Placeholders().find(line.substr(start));
        if (found == Placeholders().end()) {
            error = "unknown placeholder " + line.substr(start);
            return false;
        }
        for (const std::string& keyword : found->second)
            out << line.substr(0, start) << keyword << ",\n";
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: glenvar_write_stub TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "glenvar_write_stub: cannot read " << argv[1] << '\n';
        return 1;
    }
    std::ostringstream text;
    std::string error;
    if (!Filled(in, text, error)) {
        std::cerr << "glenvar_write_stub: " << argv[1] << ": " << error << '\n';
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text.str();
    out.close();
    if (!out) {
        std::cerr << "glenvar_write_stub: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
