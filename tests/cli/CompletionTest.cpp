// The generated bash completion, run by bash: it offers exactly the commands
// and options of glenvar-cli's registry, and where files go, exactly the files
// the parser takes (any case of the ending), each folder once.

#include "cli/CliOptions.h"
#include "cli/CommandRegistry.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Words = std::set<std::string>;

const std::vector<std::string> files = {"a.ld",  "b.LD",   "c.dat", "d.png", "e.Png", "f.r16",
                                        "g.tif", "h.tiff", "i.bin", "j.txt", "k"};
const std::vector<std::string> folders = {"adir.ld", "sub"};

class Completion : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& name : files)
            std::ofstream(dir.path() / name).put('x');
        for (const std::string& name : folders)
            fs::create_directory(dir.path() / name);
    }

    // COMPREPLY for the words, the last one being completed.
    Words Complete(const std::vector<std::string>& words) const {
        std::string line =
            "source '" GLENVAR_COMPLETION "' && cd '" + dir.path().string() + "' && COMP_WORDS=(";
        for (const std::string& w : words)
            line += " '" + w + "'";
        line += " ); COMP_CWORD=" + std::to_string(words.size() - 1) +
                "; _glenvar_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
        const fs::path script = dir.path() / "complete.sh";
        std::ofstream(script) << line << "\n";
        Words offered;
        FILE* out = ::popen(("bash '" + script.string() + "'").c_str(), "r");
        char buffer[4096];
        while (out != nullptr && std::fgets(buffer, sizeof buffer, out)) {
            std::string word(buffer);
            word.pop_back();
            if (!word.empty()) {
                EXPECT_TRUE(offered.insert(word).second) << word << " offered twice";
            }
        }
        EXPECT_EQ(out ? ::pclose(out) : -1, 0);
        return offered;
    }

    testsupport::ScratchDir dir;
};

// The parser decides which names an option takes; for the rest, the registry's endings.
bool Takes(const cli::CommandEntry& entry, const cli::CommandOption& option,
           const std::string& name) {
    const bool parsed = option.name == "-o" || option.name == "--heightmap";
    if (!parsed) {
        const std::string ending = fs::path(name).extension().string();
        return !ending.empty() &&
               ("|" + std::string(option.extensions) + "|").find("|" + ending.substr(1) + "|") !=
                   std::string::npos;
    }
    std::vector<std::string> args = {std::string(entry.name)};
    if (!entry.inputExtensions.empty())
        args.push_back("in.ld");
    args.insert(args.end(), {std::string(option.name), name});
    if (option.name != "-o")
        args.insert(args.end(),
                    {"-o", entry.command == cli::Command::Generate ? "zz.ld" : "zz.png"});
    return cli::Parse(args).options.has_value();
}

TEST_F(Completion, OffersTheRegistrysCommandsAndOptions) {
    Words commands = {"--help", "--version"};
    for (const cli::CommandEntry& entry : cli::Commands())
        commands.insert(std::string(entry.name));
    EXPECT_EQ(Complete({"glenvar-cli", ""}), commands);

    for (const cli::CommandEntry& entry : cli::Commands()) {
        Words options = {"--help"};
        for (const cli::CommandOption& o : entry.options)
            options.insert(std::string(o.name));
        EXPECT_EQ(Complete({"glenvar-cli", std::string(entry.name), "-"}), options) << entry.name;
    }
}

TEST_F(Completion, OffersExactlyTheFilesEachPlaceTakes) {
    for (const cli::CommandEntry& entry : cli::Commands()) {
        for (const cli::CommandOption& o : entry.options) {
            if (o.extensions.empty())
                continue;
            Words expected(folders.begin(), folders.end());
            for (const std::string& name : files)
                if (Takes(entry, o, name))
                    expected.insert(name);
            const std::string option(o.name);
            EXPECT_EQ(Complete({"glenvar-cli", std::string(entry.name), option, ""}), expected)
                << entry.name << " " << option;
            if (option.starts_with("--")) {
                EXPECT_EQ(Complete({"glenvar-cli", std::string(entry.name), option + "="}),
                          expected)
                    << entry.name << " " << option << "=";
            }
        }
        if (entry.inputExtensions.empty())
            continue;
        Words inputs(folders.begin(), folders.end());
        inputs.insert({"a.ld", "b.LD", "c.dat"});
        EXPECT_EQ(Complete({"glenvar-cli", std::string(entry.name), ""}), inputs) << entry.name;
    }
    EXPECT_EQ(Complete({"glenvar-cli", "generate", "--threads", ""}), (Words{"1", "2"}));
    EXPECT_TRUE(Complete({"glenvar-cli", "generate", "--seed", ""}).empty());
}

}  // namespace
