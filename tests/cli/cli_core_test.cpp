// The command-line library in-process: the option forms read from the declarations, the quoting
// of the JSON lines, and the report after a fatal error (which only a stand-in store can raise).
#include "cli/command.h"
#include "cli/json_lines.h"
#include "cli/json_writer.h"
#include "cli/open_command.h"
#include "cli/parsed_arguments.h"
#include "cli/verdict_block.h"

#include "e2eCrypto/error_records.h"
#include "support/document_writer.h"
#include "support/job_harness.h"
#include "support/temp_dir.h"
#include "support/text_lines.h"

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
        const ParsedArguments parsed = parseArguments(openDeclaration(), c.arguments);
        EXPECT_EQ(c.error, "");
        EXPECT_EQ(parsed.operands, c.operands);
        EXPECT_EQ(parsed.values, c.values);
    } catch (const UsageError& error) {
        EXPECT_EQ(error.what(), c.error);
    }
}

const std::string blankEnds = "a path cannot begin or end with white space";

const ParseCase parseCases[] = {
    {"ShortAndLongNamesShareAKey",
     {"-o", "x", "a", "--output=y", "b"},
     {"a", "b"},
     {{"--output", {"x", "y"}}}},
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
    {"InnerWhiteSpaceIsPartOfTheName", {"my doc", "-o", "a\tb"}, {"my doc"}, {{"--output", {"a\tb"}}}},
    {"TrailingWhiteSpaceInAValue", {"-o", "out ", "a"}, {}, {}, "--output 'out ': " + blankEnds},
    {"LeadingWhiteSpaceInAnOperand", {"\na"}, {}, {}, "INPUT '\na': " + blankEnds},
};

INSTANTIATE_TEST_SUITE_P(OptionForms, ParsedArgumentsTest, testing::ValuesIn(parseCases),
                         [](const testing::TestParamInfo<ParseCase>& info) {
                             return std::string(info.param.name);
                         });

struct QuotingCase {
    const char* name;
    std::string text;
    std::string json;
};

class JsonStringTest : public testing::TestWithParam<QuotingCase> {};

TEST_P(JsonStringTest, QuotesTheText) {
    EXPECT_EQ(jsonString(GetParam().text), GetParam().json);
}

const QuotingCase quotingCases[] = {
    {"EscapesAndControls", "a\"b\\c\n\r\t\x01\x7f", "\"a\\\"b\\\\c\\n\\r\\t\\u0001\\u007f\""},
    {"Utf8StaysAsItIs", "\xC5\x81ukasz \xF0\x9F\x94\x92", "\"\xC5\x81ukasz \xF0\x9F\x94\x92\""},
    {"StrayBytesKeepTheirValue",
     "a\xFF"
     "b\x80",
     "\"a\\udcffb\\udc80\""},
    {"TruncatedSequence", "\xC3", "\"\\udcc3\""},
    {"OverlongAndSurrogateAreNoUtf8", "\xC0\xAF\xED\xA0\x80", "\"\\udcc0\\udcaf\\udced\\udca0\\udc80\""},
};

INSTANTIATE_TEST_SUITE_P(Json, JsonStringTest, testing::ValuesIn(quotingCases),
                         [](const testing::TestParamInfo<QuotingCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(OpenCommandFatal, ReportsTheDocumentsSoFarAndTheFatalMessage) {
    TempDir dir;
    const std::string plain = "content";
    const std::vector<std::string> inputs = {dir.write("a.qsig", wrapLayers("S", plain)),
                                             dir.write("b.qsig", wrapLayers("K", plain)),
                                             dir.write("c.qsig", wrapLayers("S", plain))};
    OpenCommand command([](const std::string&, StorePasswordPrompt) -> std::unique_ptr<KeyStore> {
        throw errorDef::Fatal("System is low in memory");
    });

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status =
        command.run({"--json", "--yes", "--app-dir", dir.file("app"), inputs[0], inputs[1], inputs[2]});
    const std::vector<std::string> json = linesOf(testing::internal::GetCapturedStdout());
    const std::vector<std::string> messages = linesOf(testing::internal::GetCapturedStderr());

    EXPECT_EQ(status, 1);
    EXPECT_EQ(messages.back(), "quillbox: fatal: " + inputs[1] + ": System is low in memory")
        << "in a batch, the failure names its document";
    ASSERT_EQ(json.size(), 3u);
    EXPECT_NE(json[0].find("\"status\":\"saved\""), std::string::npos) << json[0];
    EXPECT_NE(json[1].find("\"status\":\"failed\""), std::string::npos) << json[1];
    EXPECT_NE(json[1].find("\"outcome\":\"System is low in memory\","), std::string::npos) << json[1];
    EXPECT_NE(json[2].find("\"status\":\"not-processed\""), std::string::npos) << json[2];
}

struct ChainCase {
    const char* name;
    std::vector<SignerFacts> signers;
    std::string line;
};

SignerFacts signerChainingTo(bool trusted, std::vector<std::string> chain) {
    SignerFacts signer;
    signer.chainTrusted = trusted;
    signer.chainSubjects = std::move(chain);
    return signer;
}

class ChainLineTest : public testing::TestWithParam<ChainCase> {};

TEST_P(ChainLineTest, EndsTheVerdictBlock) {
    SignatureVerdict verdict;
    verdict.signers = GetParam().signers;
    const std::vector<std::string> lines = linesOf(verdictBlock(verdict));
    EXPECT_EQ(lines.back(), GetParam().line);
}

const std::string noAuthority = "Certificate chain: no known authority";
const ChainCase chainCases[] = {
    {"NoSignerFacts", {}, noAuthority},
    {"TrustedRootByItsCommonName",
     {signerChainingTo(true, {"/CN=Signer", "/O=Acme/CN=Acme Root CA/Email=ca@acme.example"})},
     "Certificate chain: trusted (root: Acme Root CA)"},
    {"RootWithoutCommonName",
     {signerChainingTo(true, {"/CN=Signer", "/O=Acme"})},
     "Certificate chain: trusted (root: /O=Acme)"},
    {"SelfMadeCertificateWithATrustedName", {signerChainingTo(false, {"/CN=Acme Root CA"})}, noAuthority},
    {"OneUntrustedSignerAmongTrustedOnes",
     {signerChainingTo(true, {"/CN=A", "/CN=Root"}), signerChainingTo(false, {"/CN=B"})},
     noAuthority},
    {"TrustedWithoutAChain", {signerChainingTo(true, {})}, noAuthority},
};

INSTANTIATE_TEST_SUITE_P(VerdictBlock, ChainLineTest, testing::ValuesIn(chainCases),
                         [](const testing::TestParamInfo<ChainCase>& info) {
                             return std::string(info.param.name);
                         });

// The keys of every object in a JSON text, by where the object lies ("verdicts[].signers[]").
class JsonKeys {
public:
    explicit JsonKeys(const std::string& text) : text_(text) { value(""); }
    std::map<std::string, std::vector<std::vector<std::string>>> byPath;

private:
    void value(const std::string& path) {
        const char c = text_[at_];
        if (c == '{') {
            std::vector<std::string>& keys = byPath[path].emplace_back();
            for (++at_; text_[at_] != '}'; at_ += text_[at_] == ',' ? 1 : 0) {
                keys.push_back(string());
                ++at_; // ':'
                value(path.empty() ? keys.back() : path + "." + keys.back());
            }
            ++at_;
        } else if (c == '[') {
            for (++at_; text_[at_] != ']'; at_ += text_[at_] == ',' ? 1 : 0) {
                value(path + "[]");
            }
            ++at_;
        } else if (c == '"') {
            string();
        } else {
            at_ = text_.find_first_of(",]}", at_);
        }
    }
    std::string string() {
        const std::size_t start = ++at_;
        for (; text_[at_] != '"'; ++at_) {
            at_ += text_[at_] == '\\' ? 1 : 0;
        }
        return text_.substr(start, at_++ - start);
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

TEST(JsonSchema, EveryObjectOfEveryStatusHasTheDocumentedKeys) {
    const std::map<std::string, std::vector<std::string>> documented = {
        {"",
         {"input", "output", "status", "layers", "verdicts", "outcome", "layers_left", "certificate_layers"}},
        {"verdicts[]", {"header", "signer", "signature", "integrity", "validity", "revocation", "signers"}},
        {"verdicts[].signers[]",
         {"subject", "issuer", "subject_attributes", "issuer_attributes", "serial", "sha256", "not_before",
          "not_after", "signing_time", "digest", "signature_algorithm", "signature_valid", "expired",
          "not_yet_valid", "revocation", "crl", "chain", "chain_problem", "chain_subjects"}},
        {"verdicts[].signers[].crl", {"issuer", "this_update", "next_update", "problem"}},
        {"certificate_layers[]", {"recipient", "cipher"}},
        {"certificate_layers[].recipient", {"subject", "serial", "not_before", "not_after", "valid"}},
    };
    FileReport report;
    report.layersRemoved = {EnvelopeKind::Asymmetric, EnvelopeKind::Pkcs7};
    report.layersLeft = {EnvelopeKind::Symmetric};
    SignerFacts withCrl;
    withCrl.crl = CrlFacts{"/CN=CA", "2026-01-01T00:00:00Z", ""};
    report.verdicts.emplace_back().signers = {withCrl, SignerFacts{}};
    report.certificateLayers.push_back({});
    std::vector<std::string> lines = {interruptedJsonLine("a", "b")};
    for (FileStatus status : {FileStatus::NotProcessed, FileStatus::Saved, FileStatus::Failed,
                              FileStatus::Skipped, FileStatus::Declined, FileStatus::Cancelled}) {
        report.status = status;
        lines.push_back(jsonLine(report));
    }
    for (const std::string& line : lines) {
        const JsonKeys keys(line);
        EXPECT_EQ(keys.byPath.size(), line == lines.front() ? 1u : documented.size()) << line;
        for (const auto& [path, objects] : keys.byPath) {
            for (const std::vector<std::string>& objectKeys : objects) {
                EXPECT_EQ(objectKeys, documented.at(path)) << path << " in " << line;
            }
        }
    }
}

} // namespace
