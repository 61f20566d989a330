// One copy per user: a later copy finds the first (also from another process), asks it forward
// and ends with "Quillbox Reader is already running", or hands over the documents it was started
// with; a socket left by a crashed copy is reused. Start-up fixes the application directory,
// opens the maximized main window and shows the documents it was started with. The program's own
// --help and --version.
#include "modal_answerer.h"

#include "app/main_window.h"
#include "app/quillbox_reader_app.h"
#include "app/single_instance.h"
#include "app/task_strip.h"
#include "app/verify_decrypt_form.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

QString uniqueName() {
    return QStringLiteral("QUILLBOXREADER-test-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

using Claim = SingleInstance::Claim;

// Runs this test program as a later copy (mode "--claim-instance" or "--start-reader", see the
// shared main) in directory; its exit code.
int runAnotherCopy(const QString& mode, const QString& name, const QStringList& documents = {},
                   const QString& directory = {}) {
    QProcess child;
    child.setWorkingDirectory(directory);
    child.start(QCoreApplication::applicationFilePath(), QStringList{mode, name} + documents);
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        return -1;
    }
    return child.exitCode();
}

int claimFromAnotherProcess(const QString& name, const QStringList& documents = {}) {
    return runAnotherCopy(QStringLiteral("--claim-instance"), name, documents);
}

// How long a test waits for what it expects before it fails: far longer than it takes, even on a
// loaded machine.
constexpr int patienceMs = 60000;

QString formText(const MainWindow* window, int id) {
    return control<QLineEdit>(window->form(), id)->text();
}

TEST(SingleInstance, TheNameCarriesTheGuidAndTheUser) {
    const QString name = SingleInstance::instanceName();
    EXPECT_TRUE(name.startsWith(QStringLiteral("QUILLBOXREADER-{"))) << name.toStdString();
    const qsizetype close = name.indexOf(QLatin1Char('}'));
    EXPECT_EQ(close, 16 + 36) << "36 characters between the braces";
    EXPECT_TRUE(name.endsWith(QStringLiteral("-%1").arg(::getuid())));
}

TEST(SingleInstance, ASecondCopyInTheSameProcessFindsTheFirst) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), Claim::First);
    EXPECT_TRUE(first.isListening());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    EXPECT_EQ(second.claim(), Claim::Found);
    ASSERT_TRUE(activations.wait(patienceMs));
    EXPECT_EQ(activations[0][0].toStringList(), QStringList()) << "asked forward, nothing to show";
}

TEST(SingleInstance, DocumentNamesSurviveTheHandOverInTheirOrder) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), Claim::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    const QStringList documents = {
        QStringLiteral("/in/plain.qsig"),       QStringLiteral("/in/with space.qsig"),
        QStringLiteral("/in/line\nbreak.qsig"), QStringLiteral("/in/100%25 and %.qsig"),
        QStringLiteral("/in/activate"),         QStringLiteral("/in/\u00dcbersicht \u20ac.qsig"),
        QStringLiteral("/in/a.qsig"),
    };
    SingleInstance second(name);
    EXPECT_EQ(second.claim(documents), Claim::HandedOver);
    ASSERT_TRUE(activations.wait(patienceMs));
    ASSERT_EQ(activations.count(), 1);
    EXPECT_EQ(activations[0][0].toStringList(), documents);
}

TEST(SingleInstance, ARequestArrivingInPiecesIsReadWhole) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), Claim::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    QLocalSocket later;
    later.connectToServer(name);
    ASSERT_TRUE(later.waitForConnected(patienceMs));
    QLocalSocket* reader = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (reader = first.findChild<QLocalSocket*>()) != nullptr; }, patienceMs));
    QSignalSpy reads(reader, &QLocalSocket::readyRead);
    // Each piece is read before the next is sent; a last request marks the end of the first.
    for (const char* piece :
         {"open %2Fin%2F", "a.qsig\nop", "en %2Fin%2Fb.qsig\nactiv", "ate\n", "activate\n"}) {
        later.write(piece);
        ASSERT_TRUE(later.waitForBytesWritten(patienceMs));
        ASSERT_TRUE(reads.wait(patienceMs));
    }
    ASSERT_EQ(activations.count(), 2);
    EXPECT_EQ(activations[0][0].toStringList(), (QStringList{"/in/a.qsig", "/in/b.qsig"}));
    EXPECT_EQ(activations[1][0].toStringList(), QStringList());
}

TEST(SingleInstance, ASecondProcessFindsTheFirstAndAsksItForward) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), Claim::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    EXPECT_EQ(claimFromAnotherProcess(name), 3);
    EXPECT_TRUE(activations.count() > 0 || activations.wait(patienceMs));
}

TEST(SingleInstance, ASecondProcessHandsOverItsDocuments) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), Claim::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    const QStringList documents = {QStringLiteral("/in/a.qsig"), QStringLiteral("/in/b c.qsig")};
    EXPECT_EQ(claimFromAnotherProcess(name, documents), 4);
    ASSERT_TRUE(activations.count() > 0 || activations.wait(patienceMs));
    EXPECT_EQ(activations[0][0].toStringList(), documents);
}

// As Explorer starts one copy per selected file: exactly one becomes the first copy, however
// they race, and it receives every other copy's document.
TEST(SingleInstance, TenCopiesStartedTogetherLoseNoDocument) {
    const QString name = uniqueName();
    std::vector<std::unique_ptr<QProcess>> copies;
    QStringList documents;
    for (int i = 0; i < 10; ++i) {
        documents.append(QStringLiteral("/in/%1.qsig").arg(i));
        copies.push_back(std::make_unique<QProcess>());
        copies.back()->start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gather-instance"), name, QStringLiteral("10"), documents.back()});
    }
    // All ten claim at once, each as soon as it reads the word to go.
    for (const auto& copy : copies) {
        while (!copy->canReadLine() && copy->waitForReadyRead(patienceMs)) {
        }
        ASSERT_EQ(copy->readLine(), QByteArray("ready\n"));
    }
    for (const auto& copy : copies) {
        copy->write("go\n");
        ASSERT_TRUE(copy->waitForBytesWritten(patienceMs));
    }
    int firstCopies = 0;
    QStringList gathered;
    for (const auto& copy : copies) {
        ASSERT_TRUE(copy->waitForFinished(2 * patienceMs));
        if (copy->exitCode() == 0) {
            ++firstCopies;
            gathered =
                QString::fromUtf8(copy->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        } else {
            EXPECT_EQ(copy->exitCode(), 4) << "a later copy did not hand over its document";
        }
    }
    EXPECT_EQ(firstCopies, 1);
    gathered.sort();
    EXPECT_EQ(gathered.join(QLatin1Char(' ')).toStdString(), documents.join(QLatin1Char(' ')).toStdString());
}

TEST(SingleInstance, WithNobodyRunningAnotherProcessBecomesTheFirstCopy) {
    EXPECT_EQ(claimFromAnotherProcess(uniqueName()), 0);
    EXPECT_EQ(claimFromAnotherProcess(uniqueName(), {QStringLiteral("/in/a.qsig")}), 0);
}

TEST(SingleInstance, ASocketLeftByACrashedCopyIsTakenOver) {
    const QString name = uniqueName();
    // A bound socket file nobody listens on, as a crash leaves it.
    const QByteArray path = QDir(QDir::tempPath()).filePath(name).toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));

    SingleInstance instance(name);
    EXPECT_EQ(instance.claim(), Claim::First);
    EXPECT_TRUE(instance.isListening());
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override { qputenv("QUILLBOX_HOME", QByteArray::fromStdString(home_.path())); }
    void TearDown() override {
        qunsetenv("QUILLBOX_HOME");
        for (const SeenDialog& seen : answerer_.seen()) {
            EXPECT_TRUE(seen.expected) << "unexpected dialog: " << seen.text.toStdString();
        }
    }

    TempDir home_;
    // Watches from before the first copy starts: a start-up dialog nobody expected (such as
    // "Illegal path!" when the program's own file cannot be found) fails the test at once
    // instead of waiting for an answer forever.
    ModalAnswerer answerer_;
};

TEST_F(StartUp, OpensTheMaximizedWindowAndFixesTheApplicationDirectory) {
    QuillboxReaderApp reader(uniqueName());
    ASSERT_TRUE(reader.InitInstance());
    MainWindow* window = reader.mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillbox Reader"));
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentPage(), MainWindow::WelcomePage);
    EXPECT_EQ(reader.paths().directory, home_.path() + "/");
    EXPECT_EQ(reader.paths().logPath(), home_.path() + "/Reader-Log.txt");
    EXPECT_EQ(reader.paths().keyNoticeMarkerPath(), home_.path() + "/askag");
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Local AppWizard-Generated Applications"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("QuillboxReader"));
}

TEST_F(StartUp, ASecondCopyRestoresTheFirstAndSaysSo) {
    const QString name = uniqueName();
    QuillboxReaderApp first(name);
    ASSERT_TRUE(first.InitInstance());
    first.mainWindow()->showMinimized();
    ASSERT_TRUE(first.mainWindow()->isMinimized());

    answerer_.expect(clickControl(1));
    QuillboxReaderApp second(name);
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.mainWindow(), nullptr) << "no window of its own";
    ASSERT_EQ(answerer_.seen().size(), 1u);
    EXPECT_EQ(answerer_.seen()[0].text, QStringLiteral("Quillbox Reader is already running"));
    EXPECT_EQ(answerer_.seen()[0].icon, 159);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !first.mainWindow()->isMinimized(); }, patienceMs));
    EXPECT_EQ(first.mainWindow()->currentPage(), MainWindow::WelcomePage) << "nothing to show";
}

struct StartCase {
    const char* name;
    QStringList arguments;
    // "CWD" stands for the current directory.
    QString input;
    QString output;
    bool multiple;
};

void PrintTo(const StartCase& c, std::ostream* out) {
    *out << c.name;
}

class StartedWithDocuments : public StartUp, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartedWithDocuments, TheFormShowsThemAsBrowseWould) {
    const StartCase& c = GetParam();
    const QString cwd = QDir::currentPath();
    QuillboxReaderApp reader(uniqueName(), c.arguments);
    ASSERT_TRUE(reader.InitInstance());
    MainWindow* window = reader.mainWindow();
    EXPECT_EQ(window->currentPage(), MainWindow::FormPage);
    EXPECT_EQ(window->taskStrip()->chosenTask(), TaskStrip::VerifyDecrypt);
    EXPECT_EQ(formText(window, formid::input), QString(c.input).replace(QStringLiteral("CWD"), cwd));
    EXPECT_EQ(formText(window, formid::output), QString(c.output).replace(QStringLiteral("CWD"), cwd));
    EXPECT_EQ(window->form()->values().multipleSelection, c.multiple);
    EXPECT_EQ(control<QLineEdit>(window->form(), formid::output)->isEnabled(), !c.multiple);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, StartedWithDocuments,
    ::testing::Values(
        StartCase{"OneRelative", {"report.txt.qsig"}, "CWD/report.txt.qsig", "CWD/report.txt", false},
        StartCase{"DotsResolved", {"/in/./x/../a.qsig"}, "/in/a.qsig", "/in/a", false},
        StartCase{"Several", {"/in/a.qsig", "b.qsig"}, "/in/a.qsig;CWD/b.qsig;", "/in/a;CWD/b;", true},
        StartCase{"EmptyArgumentsNameNothing", {"", "/in/a.qsig", ""}, "/in/a.qsig", "/in/a", false}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST_F(StartUp, ASecondCopyWithDocumentsHandsThemOverWithoutAMessage) {
    const QString name = uniqueName();
    QuillboxReaderApp first(name);
    ASSERT_TRUE(first.InitInstance());
    first.mainWindow()->showMinimized();

    QuillboxReaderApp second(name, {QStringLiteral("/in/a.qsig")});
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.mainWindow(), nullptr);
    MainWindow* window = first.mainWindow();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return formText(window, formid::input) == QStringLiteral("/in/a.qsig"); }, patienceMs));
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(formText(window, formid::output), QStringLiteral("/in/a"));
    EXPECT_TRUE(answerer_.seen().empty()) << "the hand-over is no error";
}

TEST_F(StartUp, ASecondProcessWithDocumentsFillsTheFirstsFormAndRaisesIt) {
    const QString name = uniqueName();
    QuillboxReaderApp first(name);
    ASSERT_TRUE(first.InitInstance());
    MainWindow* window = first.mainWindow();
    window->showMinimized();

    const QString directory = QString::fromStdString(home_.path());
    EXPECT_EQ(runAnotherCopy(QStringLiteral("--start-reader"), name,
                             {QStringLiteral("a.qsig"), QStringLiteral("/in/b.qsig")}, directory),
              3);
    const QString input = directory + QStringLiteral("/a.qsig;/in/b.qsig;");
    EXPECT_TRUE(QTest::qWaitFor([&] { return formText(window, formid::input) == input; }, patienceMs))
        << formText(window, formid::input).toStdString();
    EXPECT_EQ(formText(window, formid::output), directory + QStringLiteral("/a;/in/b;"));
    EXPECT_TRUE(window->form()->values().multipleSelection);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); }, patienceMs));
}

// The program itself: help and version need no display; a wrong option is a usage error.
struct ProgramCase {
    const char* name;
    QStringList arguments;
    int status;
    std::vector<QString> outLines; // the first lines of stdout, each a prefix
    QString errPart;
};

void PrintTo(const ProgramCase& c, std::ostream* out) {
    *out << c.name;
}

class ReaderProgram : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ReaderProgram, AnswersOnTheTerminal) {
    const ProgramCase& c = GetParam();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(display));
    }
    if (c.status != 0) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLBOX_READER_PROGRAM), c.arguments);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), c.status);
    const QStringList out = QString::fromUtf8(program.readAllStandardOutput()).split(QLatin1Char('\n'));
    ASSERT_GE(out.size(), static_cast<qsizetype>(c.outLines.size()));
    for (std::size_t i = 0; i < c.outLines.size(); ++i) {
        EXPECT_TRUE(out[static_cast<qsizetype>(i)].startsWith(c.outLines[i])) << out.join('|').toStdString();
    }
    EXPECT_TRUE(QString::fromUtf8(program.readAllStandardError()).contains(c.errPart));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ReaderProgram,
    ::testing::Values(
        ProgramCase{"Version",
                    {"--version"},
                    0,
                    {"quillbox-reader " QUILLBOX_VERSION, "OpenSSL 3.", "NSS 3.", "Qt 6.", ""},
                    {}},
        ProgramCase{"ShortVersion", {"-v"}, 0, {"quillbox-reader " QUILLBOX_VERSION}, {}},
        ProgramCase{"Help", {"--help"}, 0, {"Usage: ", "Verify and decrypt secured .qsig documents"}, {}},
        ProgramCase{"UnknownOption", {"--fast", "a.qsig"}, 2, {}, "Unknown option 'fast'"},
        ProgramCase{
            "QtOptionsAreNotRunTogetherLetters", {"-reverse", "--bogus"}, 2, {}, "Unknown option 'bogus'"}),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.name); });

} // namespace
