// The progress-and-stop seam: each long loop reports its bytes to the job's progress, and a stop
// asked for ends it between blocks with WorkStopped, leaving no partial result behind.
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/signature_verification.h"
#include "platform/work_progress.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Several blocks of every loop.
const std::string content(workBlockSize * 3 + 5, 'c');

struct LoopCase {
    const char* name;
    // Runs the loop; what it leaves of its result goes to left.
    std::function<void(std::string& left)> run;
};

class StoppedLoop : public testing::TestWithParam<LoopCase> {};

TEST_P(StoppedLoop, EndsWithWorkStoppedAndLeavesNoResult) {
    WorkProgress progress;
    progress.requestStop();
    std::string left = "untouched";
    EXPECT_THROW(GetParam().run(left), WorkStopped);
    EXPECT_TRUE(left.empty() || left == "untouched") << left.size();
    EXPECT_EQ(progress.snapshot().stage, WorkStage::Idle) << "the pass ended with the loop";
}

INSTANTIATE_TEST_SUITE_P(
    Loops, StoppedLoop,
    testing::Values(LoopCase{"decode",
                             [](std::string& left) {
                                 left = encodeBase64(content);
                                 decodeBase64Within(left, left);
                             }},
                    LoopCase{"decrypt",
                             [](std::string& left) {
                                 decryptData(testdoc::passPhraseCiphertext(content, "p4ss"), left,
                                             SecretString("p4ss"), SecretString(), 1, 3);
                             }},
                    LoopCase{"verify",
                             [](std::string& left) {
                                 left =
                                     verifySignature(testdoc::signedLayer(content, testdoc::makeIdentity({})),
                                                     DigestSelector::Sha1, RevocationChoice::Skip, "", {})
                                         .content;
                             }}),
    [](const testing::TestParamInfo<LoopCase>& info) { return info.param.name; });

} // namespace
