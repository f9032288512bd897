// The command line of the window program: what it asks for, and that --help and --version
// answer and end without a window, on a machine that has no display at all.
#include <QDir>
#include <QProcess>
#include <QtTest>

#include "app/CommandLine.h"

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void asks_data();
    void asks();
    void program_data();
    void program();
};

void CommandLineTest::asks_data()
{
    QTest::addColumn<QStringList>("arguments");  // after the program's own name
    QTest::addColumn<QString>("request");        // help, version, window or error
    QTest::addColumn<QString>("file");           // relative to the working folder

    QTest::newRow("nothing") << QStringList() << "window" << QString();
    QTest::newRow("a file") << QStringList{"dives/mine.kvx"} << "window"
                            << "dives/mine.kvx";
    QTest::newRow("an absolute file") << QStringList{"/srv/shop.kvx"} << "window"
                                      << "/srv/shop.kvx";
    QTest::newRow("a file named like an option") << QStringList{"--", "-x.kvx"} << "window"
                                                 << "-x.kvx";
    QTest::newRow("an empty name") << QStringList{""} << "window" << QString();
    QTest::newRow("--help") << QStringList{"--help"} << "help" << QString();
    QTest::newRow("-h with a file") << QStringList{"mine.kvx", "-h"} << "help" << QString();
    QTest::newRow("-v") << QStringList{"-v"} << "version" << QString();
    // The toolkit's own options are not known before the application object takes them.
    QTest::newRow("--version after toolkit options")
        << QStringList{"-platform", "offscreen", "--version"} << "version" << QString();
    QTest::newRow("unknown option") << QStringList{"--verbose"} << "error" << QString();
    QTest::newRow("two files") << QStringList{"a.kvx", "b.kvx"} << "error" << QString();
}

void CommandLineTest::asks()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, request);
    QFETCH(QString, file);

    const TCommandLine line(QStringList{QStringLiteral("tidewell")} + arguments);
    const QString asked = line.AsksForHelp()       ? QStringLiteral("help")
                          : line.AsksForVersion()  ? QStringLiteral("version")
                          : line.Error().isEmpty() ? QStringLiteral("window")
                                                   : QStringLiteral("error");
    QCOMPARE(asked, request);
    if (request == QLatin1String("window"))
        QCOMPARE(line.File(), file.isEmpty() ? QString() : QDir::current().absoluteFilePath(file));
}

void CommandLineTest::program_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");    // false: none, so that making a window would fail
    QTest::addColumn<int>("status");      // -1: does not succeed
    QTest::addColumn<QString>("output");  // the start of standard output
    QTest::addColumn<QString>("errors");  // held by standard error

    // The control: without a display, a window cannot be made.
    QTest::newRow("no arguments, no display")
        << QStringList() << false << -1 << QString() << QString();
    QTest::newRow("--help") << QStringList{"--help"} << false << 0
                            << "Usage: tidewell [options] [FILE]\n"
                            << QString();
    QTest::newRow("--version") << QStringList{"--version"} << false << 0
                               << "tidewell 2.0.1\nCopyright (C) 2026 Hallvex Inv." << QString();
    QTest::newRow("unknown option")
        << QStringList{"--verbose"} << true << 2 << QString()
        << "tidewell: Unknown option 'verbose'.\nTry 'tidewell --help'.\n";
    QTest::newRow("two files") << QStringList{"a.kvx", "b.kvx"} << true << 2 << QString()
                               << "tidewell: Only one settings file can be opened.\n";
}

void CommandLineTest::program()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                       display ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
    // Started by its bare name from the search path, as a shell starts an installed one.
    environment.insert(QStringLiteral("PATH"), QStringLiteral(PROGRAM_FOLDER ":") +
                                                   environment.value(QStringLiteral("PATH")));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral("sh"),
                  QStringList{QStringLiteral("-c"), QStringLiteral("exec tidewell \"$@\""),
                              QStringLiteral("sh")} +
                      arguments);
    QVERIFY(program.waitForStarted(-1));
    program.closeWriteChannel();
    QVERIFY(program.waitForFinished(-1));
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    if (status < 0) {
        QVERIFY(program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0);
        return;
    }
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == status, qPrintable(err));
    QVERIFY2(out.startsWith(output), qPrintable(out));
    QVERIFY2(err.contains(errors), qPrintable(err));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
