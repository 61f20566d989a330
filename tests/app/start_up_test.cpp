// One copy per user: a later copy finds the first (also from another process), asks it forward
// and ends with "Quillbox Reader is already running"; a socket left by a crashed copy is reused.
// Start-up fixes the application directory and opens the maximized main window.
#include "modal_answerer.h"

#include "app/main_window.h"
#include "app/quillbox_reader_app.h"
#include "app/single_instance.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

QString uniqueName() {
    return QStringLiteral("QUILLBOXREADER-test-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

// Runs this test program as a second copy claiming name; its exit code (0 first copy, 3 found one).
int claimFromAnotherProcess(const QString& name) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--claim-instance"), name});
    if (!child.waitForFinished(30000)) {
        return -1;
    }
    return child.exitCode();
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
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.isListening());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(activations.wait(5000));
}

TEST(SingleInstance, ASecondProcessFindsTheFirstAndAsksItForward) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.claim());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    EXPECT_EQ(claimFromAnotherProcess(name), 3);
    EXPECT_TRUE(activations.count() > 0 || activations.wait(5000));
}

TEST(SingleInstance, WithNobodyRunningAnotherProcessBecomesTheFirstCopy) {
    EXPECT_EQ(claimFromAnotherProcess(uniqueName()), 0);
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
    EXPECT_TRUE(instance.claim());
    EXPECT_TRUE(instance.isListening());
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override { qputenv("QUILLBOX_HOME", QByteArray::fromStdString(home_.path())); }
    void TearDown() override { qunsetenv("QUILLBOX_HOME"); }

    TempDir home_;
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

    ModalAnswerer answerer;
    answerer.expect(clickControl(1));
    QuillboxReaderApp second(name);
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.mainWindow(), nullptr) << "no window of its own";
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("Quillbox Reader is already running"));
    EXPECT_EQ(answerer.seen()[0].icon, 159);
    QElapsedTimer waited;
    waited.start();
    while (first.mainWindow()->isMinimized() && waited.elapsed() < 5000) {
        QTest::qWait(10);
    }
    EXPECT_FALSE(first.mainWindow()->isMinimized());
}

} // namespace
