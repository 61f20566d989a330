#pragma once
// The desktop program's command line: the documents to show, --help and --version. Qt's own
// options (-platform, -style, ...) are taken out by the application object before it is read.
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

class ReaderCommandLine {
public:
    // arguments: the program's name, then its arguments.
    explicit ReaderCommandLine(const QStringList& arguments);

    // --help or --version: answered without a window system, so they work anywhere.
    bool asksForInformation() const;
    // The help or version on stdout (status 0), or what is wrong on stderr (status 2). The help
    // needs the application object.
    int report() const;
    bool isValid() const { return valid_; }
    // As given; relative paths are not resolved here.
    QStringList documents() const { return parser_.positionalArguments(); }

    // The program's version line, then one line for each library it runs with.
    static QString versionText();

private:
    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
    bool valid_;
};
