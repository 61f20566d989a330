#include "help_text.h"

#include "platform/platform_words.h"

#include <algorithm>

namespace {

constexpr std::size_t tagWidth = 23;

std::string usageLine(const CommandDeclaration& command) {
    return "  quillbox-cli " + command.name + " " + command.synopsis + "\n";
}

std::string usageSection() {
    std::string lines = "Usage:\n";
    for (const CommandDeclaration* command : commandDeclarations()) {
        lines += usageLine(*command);
    }
    return lines + "  quillbox-cli --help | --version\n";
}

// Each option's tag in a column, its text beside it, continued lines under the text.
std::string optionLines(const CommandDeclaration& command) {
    const std::string indent(2 + tagWidth + 2, ' ');
    std::string lines;
    for (const OptionDeclaration& option : command.options) {
        const std::string tag = optionTag(option);
        lines += "  " + tag + std::string(std::max<std::size_t>(2, tagWidth + 2 - tag.size()), ' ');
        for (std::size_t i = 0; i < option.help.size(); ++i) {
            lines += (i == 0 ? "" : indent) + option.help[i] + "\n";
        }
    }
    return lines;
}

std::string openSection() {
    return R"(open removes every layer of each INPUT: it verifies signatures (and prints their verdicts),
decrypts pass-phrase layers with a pass phrase and certificate-encrypted layers with your private
key from the certificate store, and saves the plain content. One INPUT is a single-file job,
several are a batch job, exactly as with the desktop program's form. Relative paths are made
absolute first; a path that begins or ends with white space is a usage error (the form trims its
boxes, a command line does not guess). An INPUT "-" is read from standard input (at most 4 GiB);
with "-o -" the content goes to standard output, and messages and verdicts stay on stderr.

Options of open:
)" + optionLines(openDeclaration());
}

std::string inspectSection() {
    return R"(Inspect:
inspect prints each INPUT's layers on stdout without decrypting anything: signed layers with
their verdict, a certificate-encrypted layer with its recipient's name, serial number, validity
and content cipher, a pass-phrase layer, and the plain content with its size. Its options:
)" + optionLines(inspectDeclaration());
}

std::string jsonSection() {
    return R"(JSON output:
open --json writes one object per document, on one line, as soon as the document is done with;
the documents the job never reached follow at the end, and a document that SIGTERM or SIGHUP
interrupts gets a line with the status "interrupted", as does one that SIGINT interrupts outside
the work on its bytes (there Ctrl-C stops the work: status "cancelled", nothing saved). A byte that is not part of valid
UTF-8 is written as \udcXX, XX its value, so a path's bytes can be recovered
("surrogateescape"). The keys of a document:
  input, output        the paths, made absolute ("-" for standard input)
  status               saved, failed, skipped, declined, cancelled, not-processed or
                       interrupted
  layers               the layers removed, outermost first: pass-phrase, certificate, signed
  verdicts             one object per signed layer, in order (below)
  outcome              the completion text when saved; otherwise the message that says why
  layers_left          the layers still in the saved output: ["pass-phrase"] when the prompt
                       of an inner pass-phrase layer of a batch was cancelled, else []
  certificate_layers   one object per certificate-encrypted layer reached, in order: its
                       "recipient" (subject, serial, not_before, not_after, and valid, true
                       when the certificate's dates hold now) and "cipher" (the content
                       cipher, OpenSSL's short name, or null when unreadable)
A verdict holds the sentences the result shows, header (SUCCESS or FAILED), signer, signature,
integrity, validity and revocation, and "signers", one object per signer:
  subject, issuer      one-line names, as shown
  serial               the certificate's serial number, lower-case hex (whole bytes, "05")
  sha256               SHA-256 of the certificate's DER, 64 hex digits
  not_before, not_after   the validity period, ISO 8601 UTC (YYYY-MM-DDTHH:MM:SSZ)
  signing_time         the signed signing-time attribute, ISO 8601 UTC, or null
  digest               the digest algorithm, OpenSSL's short name
  signature_algorithm  the signature algorithm, OpenSSL's short name
  signature_valid      true when the signature verifies
  expired, not_yet_valid   the certificate's dates against the time of the check
  revocation           not-revoked, revoked, unknown, or not-checked (without --crl)
  crl                  the CRL that was read: issuer, this_update and next_update (ISO 8601
                       UTC or null) and problem, why it could not clear the signer: null,
                       stale (past its next_update), not-yet-valid (this_update ahead),
                       issuer-cannot-sign-crls, scope (not the whole list of the signer's
                       authority) or unreadable (the file cannot be read or holds no CRL);
                       null without --crl
  chain                trusted when full path validation (every authority's dates, CA
                       constraints, algorithms at security level 1 (never MD5), the purpose of
                       signing e-mail, at most 5 authorities below the root) reaches a root of
                       the CA store the verification uses (see Environment), else untrusted
  chain_problem        null when trusted, else why not: unknown-authority, expired-authority,
                       not-yet-valid-authority, weak-algorithm, not-a-ca, unfit-for-signing,
                       too-long
  chain_subjects       the chain that was built, signer first
inspect --json writes one object per INPUT: input, status (secured, not-secured or failed),
outcome (the message when it failed, else empty) and "layers", outermost first, each with kind
(signed, certificate, pass-phrase or plain), size (the bytes of the layer with all it holds)
and, for a signed layer, its "verdict", for a certificate-encrypted layer its "recipient" and
"cipher".
)";
}

std::string passPhraseSection() {
    return R"(Pass phrases:
Pass phrases and store passwords are read from the terminal with echo off (turned off before
the prompt shows, so nothing typed ahead is shown or lost), never from the command line. Without
a terminal, a prompt that has no answer counts as cancelled. A blank line of --passphrase-file is
a blank answer: the job ends that document with "Blank password given to decrypt". A question
(such as overwriting an output) and its [y/N] are asked on the terminal; without one, or with
--no, the answer is No.
)";
}

std::string messageSection() {
    return R"--(Messages:
Every message of a job is one line on stderr, "quillbox: <kind>: <text>" (line breaks inside a
message become spaces), where <kind> tells what the desktop program shows it as:
  error        an error (red cross)
  warning      a warning or a question (yellow triangle); also an output saved with a layer
               still in it
  information  a notice on the way (speech bubble)
  success      a completed job (green tick)
  notice       the file about to be processed, the private-key notice (padlock)
  fatal        a fatal error; the program ends at once (with --json, after the objects of
               the documents so far, the last saying what the fatal error was)
A signature verdict is printed as a block: SUCCESS or FAILED, the signer, "Signature: ...",
the integrity, validity and revocation texts, and last "Certificate chain: trusted (root:
<CN>)" when every signer chains to a known root, else "Certificate chain: no known authority".
)--";
}

std::string exitStatusSection() {
    return R"(Exit status:
  2    usage error (also a file of answers that cannot be read when first needed)
  1    an input failed or was skipped, the paths were refused, the --crl file could not be
       read or held no CRL, or standard output could not be written
  130  a pass-phrase or store-password prompt was cancelled (or had no answer), or
       Ctrl-C stopped the work on a document (nothing of it is saved)
  3    every input was saved, but a signature verdict was FAILED
  0    every input was saved (inspect: every input is a secured document)
  The first of these that applies is the exit status. SIGTERM and SIGHUP end the program as
  they would any other, and so does SIGINT (Ctrl-C) outside the work on a document.
)";
}

// Where the private key is looked for.
std::string storeParagraph() {
    return std::string("  Your private key comes from\n    ") + platform::words().keyStore + ".\n";
}

std::string environmentSection() {
    const std::string storeVariable = platform::words().storeVariable;
    const std::string store =
        storeVariable.empty()
            ? ""
            : "  " + storeVariable +
                  R"(   the personal certificate store (an NSS database directory) when --store
                   is not given
)";
    return "Environment:\n" + store +
           R"(  QUILLBOX_HOME    the application directory (activity log, key-notice marker) when --app-dir
                   is not given
  SSL_CERT_DIR, SSL_CERT_FILE   the CA certificates that signer chains are checked against,
                   besides ../../certs from the working directory
)";
}

std::string filesSection() {
    return R"(Files:
  The activity log is Reader-Log.txt in the application directory: $QUILLBOX_HOME when set,
  else the program's directory when a file can be made there, else )" +
           std::string(platform::words().appDataFallback) + ".\n" + storeParagraph();
}

std::string examplesSection() {
    return R"(Examples:
  quillbox-cli open report.pdf.qsig
  quillbox-cli open --passphrase-file answers.txt -o )" +
           std::string(platform::words().exampleOutput) + R"( letter.qsig
  quillbox-cli open --crl )" +
           platform::words().exampleCrl + R"( --yes --json a.qsig b.qsig c.qsig
  quillbox-cli open -o - - < letter.qsig > letter.txt
  quillbox-cli inspect --json letter.qsig
)";
}

} // namespace

std::string helpText() {
    return "quillbox-cli - open secured .qsig documents from the command line\n\n" + usageSection() + "\n" +
           openSection() + "\n" + inspectSection() +
           "\n--help prints this text, and open --help or inspect --help that command's part. --version\n"
           "prints the version of quillbox-cli on its first line, then those of the OpenSSL and NSS\n"
           "libraries it runs with.\n\n" +
           jsonSection() + "\n" + passPhraseSection() + "\n" + messageSection() + "\n" + exitStatusSection() +
           "\n" + environmentSection() + "\n" + filesSection() + "\n" + examplesSection();
}

std::string commandHelpText(const CommandDeclaration& command) {
    const std::string usage = "Usage:\n" + usageLine(command) + "\n";
    if (command.name == inspectDeclaration().name) {
        return usage + inspectSection() + "\n" + jsonSection();
    }
    return usage + openSection() + "\n" + jsonSection() + "\n" + passPhraseSection() + "\n" +
           exitStatusSection();
}
