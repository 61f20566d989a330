// Writes the sample documents and the sample certificate store into a directory:
//   make_samples DIR
// The documents are made the way the test suite makes its own; the store holds the sample
// recipient's certificate and private key, without a password.
#include "support/document_writer.h"
#include "support/nss_test_store.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string passPhrase = "quillbox sample";
// As late as the two-digit year form of certificate dates reaches.
const std::string farFuture = "491231235959Z";

testdoc::Identity sampleIdentity(const std::string& subject, long serial, int keyIndex) {
    testdoc::CertificateOptions options;
    options.subject = subject;
    options.serial = serial;
    options.keyIndex = keyIndex;
    options.notAfter = farFuture;
    return testdoc::makeIdentity(options);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples DIR\n");
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    const testdoc::Identity signer = sampleIdentity(
        "/C=GB/O=Quillbox Samples/OU=Documents/CN=Sample Signer/emailAddress=signer@samples.invalid", 1, 0);
    const testdoc::Identity recipient = sampleIdentity(
        "/C=GB/O=Quillbox Samples/OU=Mail Room/CN=Sample Recipient/emailAddress=recipient@samples.invalid", 2,
        1);

    writeFile(directory / "signed.qsig",
              testdoc::signedLayer(
                  "A signed sample: the signature says who wrote it and that it is unchanged.\n", signer));
    writeFile(directory / "passphrase.qsig",
              testdoc::symmetricLayer(
                  "A pass-phrase sample: only someone who knows the pass phrase reads this.\n", passPhrase));
    writeFile(
        directory / "certificate.qsig",
        testdoc::asymmetricLayer("A certificate sample: only the holder of the recipient's key reads this.\n",
                                 recipient.certificate.get()));
    const std::string inner = testdoc::signedLayer(
        "A nested sample: signed, encrypted to the recipient, then locked with the pass phrase.\n", signer);
    writeFile(
        directory / "nested.qsig",
        testdoc::symmetricLayer(testdoc::asymmetricLayer(inner, recipient.certificate.get()), passPhrase));
    writeFile(directory / "passphrases.txt", passPhrase + "\n");

    const std::filesystem::path store = directory / "store";
    std::filesystem::remove_all(store);
    std::filesystem::create_directories(store);
    {
        NssTestStore nss(store.string());
        nss.importPkcs12(testdoc::pkcs12(recipient));
    }
    // Only the database stays: the key's transport file goes.
    for (const auto& entry : std::filesystem::directory_iterator(store)) {
        if (entry.path().filename().string().front() == '.') {
            std::filesystem::remove(entry.path());
        }
    }
    return 0;
}
