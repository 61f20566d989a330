// The option forms every subcommand accepts, read in-process from the declarations.
#include "cli/command.h"
#include "cli/parsed_arguments.h"

#include <gtest/gtest.h>

namespace {

using Values = std::map<std::string, std::vector<std::string>>;

struct ParseCase {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> operands;
    Values values;
    std::string error = {}; // the usage error, when the arguments are refused
};

class ParsedArgumentsTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParsedArgumentsTest, ReadsTheOpenOptions) {
    const ParseCase& c = GetParam();
    try {
        const ParsedArguments parsed = parseArguments(openSpec(), c.arguments);
        EXPECT_EQ(c.error, "");
        EXPECT_EQ(parsed.operands, c.operands);
        EXPECT_EQ(parsed.values, c.values);
    } catch (const UsageError& error) {
        EXPECT_EQ(error.what(), c.error);
    }
}

const ParseCase parseCases[] = {
    {"ShortAndLongNamesShareAKey", {"-o", "x", "a", "--output=y", "b"}, {"a", "b"}, {{"--output", {"x", "y"}}}},
    {"ValuesMayStartWithADash", {"--crl", "-list.crl", "a"}, {"a"}, {{"--crl", {"-list.crl"}}}},
    {"DoubleDashEndsTheOptions", {"--", "--json", "-"}, {"--json", "-"}, {}},
    {"ADashAloneIsAnOperand", {"-", "--json"}, {"-"}, {{"--json", {"--json"}}}},
    {"AChoiceMayBeRepeated", {"--no", "a", "--no"}, {"a"}, {{"--yes", {"--no", "--no"}}}},
    {"ChoicesExcludeEachOther", {"--yes", "--no"}, {}, {}, "--yes and --no exclude each other"},
    {"AFlagTakesNoValue", {"--json=1"}, {}, {}, "--json takes no value"},
    {"ShortNamesTakeNoEquals", {"-o=x"}, {}, {}, "unknown option -o=x"},
    {"MissingValueNamesTheLongForm", {"a", "-o"}, {}, {}, "--output needs a value"},
    {"EmptyInlineValue", {"--app-dir=", "a"}, {}, {}, "--app-dir needs a value"},
    {"UnknownOption", {"--fast"}, {}, {}, "unknown option --fast"},
};

INSTANTIATE_TEST_SUITE_P(OptionForms, ParsedArgumentsTest, testing::ValuesIn(parseCases),
                         [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

} // namespace
