#include "help_text.h"

#include "certs/library_versions.h"
#include "platform/platform_words.h"

#include <algorithm>
#include <string_view>

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
absolute first (on Linux kept as given where that would be too long to open, under a deep
working directory); a path that begins or ends with white space is a usage error (the form trims its
boxes, a command line does not guess); any other name the file system takes will do. An INPUT
"-" is read from standard input (at most 4 GiB), and so is a pipe or FIFO named as an INPUT
(such as <(...)); with "-o -" the content goes to standard output, and messages and verdicts
stay on stderr. A character device named as an output (such as /dev/null) is written directly,
without a question. An output that is its INPUT's own file, under any name or through a link,
is refused before any work, even with --yes.

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
interrupts gets a line with the status "interrupted" (one whose output is in place is saved:
the signal waits for its line and log record), as does one that SIGINT interrupts outside
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
  subject, issuer      the whole names in the one-line form (/C=US/CN=Name); inside a value
                       \ is written \\, / is written \/ and a control character \xHH
  subject_attributes, issuer_attributes
                       the same names as ["short name", "value"] pairs, in order
  serial               the certificate's serial number, lower-case hex (whole bytes: "05",
                       "00" for zero)
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
outcome (the message when it failed, else empty), "layers", outermost first, each with kind
(signed, certificate, pass-phrase or plain), size (the bytes of the layer with all it holds)
and, for a signed layer, its "verdict", for a certificate-encrypted layer its "recipient" and
"cipher", and "error": null, or the message that stopped the walk after the file's name, with
only the layers found before it in "layers".
)";
}

std::string passPhraseSection() {
    return R"(Pass phrases:
Pass phrases and store passwords are read from the terminal with echo off, never from the
command line. When standard input is a terminal and the job may ask for one, typing is hidden
from the start of the job, so nothing typed ahead is shown or lost; it shows again while a
question is asked, at a stop (Ctrl-Z) and when the job ends. Without a terminal, a prompt that
has no answer counts as cancelled ("no terminal to ask for the pass phrase on; give
--passphrase-file" says so). A blank line of --passphrase-file is a blank answer: the job ends
that document with "Blank password given to decrypt". A question (such as overwriting an
output) and its [y/N] are asked on the terminal; without one, or with --no, the answer is No.
)";
}

std::string messageSection() {
    return R"--(Messages:
Every message of a job is one line on stderr, "quillbox: <kind>: <text>" (line breaks inside a
message become spaces; the control characters of a file name, a line break too, are escaped as
the activity log escapes them), where <kind> tells what the desktop program shows it as:
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
In a batch, an error or fatal line names the document it ended; a failed write of the content
names the output and the cause. A job that ends before its last INPUT names each INPUT it never
reached in a warning line, and so does SIGTERM or SIGHUP for the inputs it leaves undone.
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
  SSL_CERT_DIR, SSL_CERT_FILE
                   the CA certificates that signer chains are checked against,
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
           platform::words().exampleCrl + R"( --json a.qsig b.qsig c.qsig
  quillbox-cli open -o - - < letter.qsig > letter.txt
  quillbox-cli inspect --json letter.qsig
)";
}

constexpr std::size_t helpWidth = 79;

// Characters, not bytes: a UTF-8 continuation byte takes no column.
std::size_t columns(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// prefix, then the words of body, cut at spaces into lines of at most helpWidth columns, each after
// the first starting with indent. A word longer than a line stays whole.
std::string filled(const std::string& prefix, std::string_view body, const std::string& indent) {
    std::string lines;
    std::string line = prefix;
    bool fresh = true; // nothing of body on the line yet
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t end = std::min(body.find(' ', start), body.size());
        const std::string_view word = body.substr(start, end - start);
        start = end + 1;
        if (word.empty()) {
            continue;
        }
        if (!fresh && columns(line) + 1 + columns(word) > helpWidth) {
            lines += line + "\n";
            line = indent;
            fresh = true;
        }
        line += (fresh ? "" : " ") + std::string(word);
        fresh = false;
    }
    return lines + line + "\n";
}

// An indented block of the help: "  TAG   text" with its text going on under itself, or indented
// prose.
struct HelpItem {
    std::string prefix; // the indentation and the tag with the gap after it
    std::string body;
    std::string indent; // where the text goes on
};

HelpItem helpItem(const std::string& line) {
    const std::size_t text = line.find_first_not_of(' ');
    const std::size_t gap = line.find("  ", text);
    const std::size_t beside =
        gap == std::string::npos ? std::string::npos : line.find_first_not_of(' ', gap);
    const std::size_t column = beside == std::string::npos ? text : beside;
    return {line.substr(0, column), line.substr(column), std::string(column, ' ')};
}

// The help laid out for helpWidth columns: paragraphs in the first column and indented blocks are
// filled again (a block's lines at its text's column go on with it); headings, command lines and
// blank lines stay as they are.
std::string wrapped(const std::string& text) {
    std::string result;
    HelpItem item;
    bool inItem = false;
    const auto flush = [&] {
        if (inItem) {
            result += filled(item.prefix, item.body, item.indent);
            inItem = false;
        }
    };
    bool afterBlank = true;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t column = line.find_first_not_of(' ');
        const bool heading = afterBlank && column == 0 && line.back() == ':';
        if (column == std::string::npos || heading || line.compare(column, 13, "quillbox-cli ") == 0) {
            flush();
            result += line + "\n";
        } else if (inItem && column == item.indent.size()) {
            item.body += " " + line.substr(column);
        } else {
            flush();
            item = helpItem(line);
            inItem = true;
        }
        afterBlank = column == std::string::npos;
    }
    flush();
    return result;
}

// "the OpenSSL and NSS libraries": the libraries --version names on this system.
std::string libraryNames() {
    std::string names;
    const std::vector<std::string> versions = cryptoLibraryVersions();
    for (std::size_t i = 0; i < versions.size(); ++i) {
        names += (i == 0                     ? ""
                  : i + 1 == versions.size() ? " and "
                                             : ", ") +
                 versions[i].substr(0, versions[i].find(' '));
    }
    return "the " + names + (versions.size() == 1 ? " library" : " libraries");
}

} // namespace

std::string helpText() {
    return wrapped("quillbox-cli - open secured .qsig documents from the command line\n\n" + usageSection() +
                   "\n" + openSection() + "\n" + inspectSection() +
                   "\n--help prints this text, and open --help or inspect --help that command's part.\n"
                   "--version prints the version of quillbox-cli on its first line, then those of " +
                   libraryNames() + " it runs with, one a line.\n\n" + jsonSection() + "\n" +
                   passPhraseSection() + "\n" + messageSection() + "\n" + exitStatusSection() + "\n" +
                   environmentSection() + "\n" + filesSection() + "\n" + examplesSection());
}

std::string commandHelpText(const CommandDeclaration& command) {
    const std::string usage = "Usage:\n" + usageLine(command) + "\n";
    if (command.name == inspectDeclaration().name) {
        return wrapped(usage + inspectSection() + "\n" + jsonSection());
    }
    return wrapped(usage + openSection() + "\n" + jsonSection() + "\n" + passPhraseSection() + "\n" +
                   exitStatusSection());
}
