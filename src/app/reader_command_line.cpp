#include "app/reader_command_line.h"

#include "certs/library_versions.h"

#include <cstdio>

ReaderCommandLine::ReaderCommandLine(const QStringList& arguments)
    : help_({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit.")),
      version_({QStringLiteral("v"), QStringLiteral("version")},
               QStringLiteral("Show the version of the program and of its libraries, and exit.")) {
    // "-reverse" and "-visual" are Qt's own options, not "-v" run together with other letters.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.setApplicationDescription(
        QStringLiteral("Verify and decrypt secured .qsig documents on the desktop.\n"
                       "Started with files, the Verify/Decrypt form shows them; when the program is\n"
                       "already running, that copy shows them and comes to the front."));
    parser_.addOption(help_);
    parser_.addOption(version_);
    parser_.addPositionalArgument(QStringLiteral("FILE"),
                                  QStringLiteral("A document to verify and decrypt (several make a batch)."),
                                  QStringLiteral("[FILE...]"));
    valid_ = parser_.parse(arguments);
}

bool ReaderCommandLine::asksForInformation() const {
    return parser_.isSet(help_) || parser_.isSet(version_);
}

int ReaderCommandLine::report() const {
    if (parser_.isSet(help_)) {
        std::fputs(qPrintable(parser_.helpText()), stdout);
        return 0;
    }
    if (parser_.isSet(version_)) {
        std::fputs(qPrintable(versionText()), stdout);
        return 0;
    }
    std::fprintf(stderr, "quillbox-reader: %s\nTry 'quillbox-reader --help'.\n",
                 qPrintable(parser_.errorText()));
    return 2;
}

QString ReaderCommandLine::versionText() {
    QString text = QStringLiteral("quillbox-reader %1\n").arg(QStringLiteral(QUILLBOX_VERSION));
    for (const std::string& library : cryptoLibraryVersions()) {
        text += QString::fromStdString(library) + QLatin1Char('\n');
    }
    return text + QStringLiteral("Qt %1\n").arg(QString::fromLatin1(qVersion()));
}
