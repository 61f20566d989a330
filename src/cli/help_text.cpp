#include "help_text.h"

#include "command_declaration.h"

#include <algorithm>

namespace {

constexpr std::size_t tagWidth = 23;

std::string usageLines() {
    std::string lines;
    for (const CommandDeclaration* command : commandDeclarations()) {
        lines += "  quillbox-cli " + command->name + " " + command->synopsis + "\n";
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

} // namespace

std::string helpText() {
    return R"(quillbox-cli - open secured .qsig documents from the command line

Usage:
)" + usageLines() +
           R"(
open removes every layer of each INPUT: it verifies signatures (and prints their verdicts),
decrypts pass-phrase layers with a pass phrase and certificate-encrypted layers with your private
key from the certificate store, and saves the plain content. One INPUT is a single-file job,
several are a batch job, exactly as with the desktop program's form. Relative paths are made
absolute first; a path that begins or ends with white space is a usage error (the form trims its
boxes, a command line does not guess).

Options of open:
)" + optionLines(openDeclaration()) +
           R"(
inspect prints each INPUT's layers on stdout without decrypting anything: signed layers with
their verdict, and for a certificate-encrypted layer the recipient's common name and validity.

--help prints this text. --version prints the version of quillbox-cli on its first line, then
those of the OpenSSL and NSS libraries it runs with.

Pass phrases and store passwords are read from the terminal with echo off (turned off before
the prompt shows, so nothing typed ahead is shown or lost), never from the command line. Without
a terminal, a prompt that has no answer counts as cancelled.

Messages: every message of a job is one line on stderr, "quillbox: <kind>: <text>" (line
breaks inside a message become spaces), where <kind> tells what the desktop program shows it as:
  error        an error (red cross)
  warning      a warning or a question (yellow triangle)
  information  a notice on the way (speech bubble)
  success      a completed job (green tick)
  notice       the file about to be processed, the private-key notice (padlock)
  fatal        a fatal error; the program ends at once (with --json, after the objects of
               the documents so far, the last saying what the fatal error was)
A signature verdict is printed as a block: SUCCESS or FAILED, the signer, "Signature: ...",
and the integrity, validity and revocation texts.

Exit status:
  2    usage error
  1    an input failed or was skipped, or the paths were refused
  130  a pass-phrase or store-password prompt was cancelled (or had no answer), or
       Ctrl-C stopped the work on a document (nothing of it is saved)
  3    every input was saved, but a signature verdict was FAILED
  0    every input was saved (inspect: every input is a secured document)
  The first of these that applies is the exit status.

Files:
  The activity log is Reader-Log.txt in the application directory: $QUILLBOX_HOME when set,
  else the program's directory when writable, else ~/.local/share/quillbox-reader/.
  The certificate store is $QUILLBOX_STORE, else ~/.pki/nssdb (see --store).

Examples:
  quillbox-cli open report.pdf.qsig
  quillbox-cli open --passphrase-file answers.txt -o /tmp/out.txt letter.qsig
  quillbox-cli open --crl /etc/quillbox/ca.crl --yes --json a.qsig b.qsig c.qsig
  quillbox-cli inspect letter.qsig
)";
}
