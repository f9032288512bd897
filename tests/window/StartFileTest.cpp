// `tidewell FILE`: the window starts with that settings file opened, exactly as Open would
// have opened it once the person chose it; with no file the start is as it always was.
#include <QAbstractButton>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "app/CommandLine.h"
#include "app/StartWindow.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedModal.h"
#include "support/WindowHelpers.h"
#include "window/Main.h"

namespace {

// What a person sees of the window after a start or an open, and what the next Open offers.
struct Seen {
    QString status;
    QStringList messages;
    QMap<QString, QString> settings;
    QByteArray body;
    QStringList commands;
    QString nextOpenPreset;
};

Seen Look(TForm1& window, ScriptedModal& modal)
{
    Seen seen;
    seen.status = StatusOf(window);
    for (const ShownMessage& message : modal.messages)
        seen.messages << message.caption + QStringLiteral(": ") + message.text;
    seen.settings = ShownSettings(window);
    seen.body = BodyOf(CurrentSettings);
    for (const char* name : {"LoadButton", "StoreButton", "OpenButton", "SaveButton", "UndoButton"})
        if (Child<QAbstractButton>(window, name)->isEnabled())
            seen.commands << QLatin1String(name);
    QTest::mouseClick(Child<QAbstractButton>(window, "OpenButton"), Qt::LeftButton);  // cancelled
    seen.nextOpenPreset = modal.openPresets.value(modal.openPresets.size() - 1);
    return seen;
}

}  // namespace

class StartFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void opensAsOpenDoes_data();
    void opensAsOpenDoes();

private:
    std::unique_ptr<QTemporaryDir> folder;
};

void StartFileTest::init()
{
    ForgetEarlierTests();
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    QVERIFY(QDir::setCurrent(folder->path()));
    WriteFile(folder->filePath(QStringLiteral("mine.kvx")),
              SettingsFileBytes(kOwnHeader, BodyOf(SampleRecord(1))));
    WriteFile(folder->filePath(QStringLiteral("foreign.kvx")),
              SettingsFileBytes(QStringLiteral("Kelvor Inv.Tidewell"), BodyOf(SampleRecord(2))));
}

void StartFileTest::opensAsOpenDoes_data()
{
    QTest::addColumn<QStringList>("arguments");  // after the program's own name
    QTest::addColumn<QString>("opened");         // the file Open is given; "": Open is not used
    QTest::addColumn<QString>("status");

    QTest::newRow("no file") << QStringList() << QString() << "Ready {no device}";
    QTest::newRow("own file, relative name") << QStringList{"mine.kvx"} << "mine.kvx"
                                             << "Ready";
    QTest::newRow("own file after --") << QStringList{"--", "mine.kvx"} << "mine.kvx"
                                       << "Ready";
    QTest::newRow("foreign file") << QStringList{"foreign.kvx"} << "foreign.kvx"
                                  << "Incompatible File Type";
    QTest::newRow("missing file") << QStringList{"absent.kvx"} << "absent.kvx"
                                  << "File not Open";
}

void StartFileTest::opensAsOpenDoes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, opened);
    QFETCH(QString, status);

    const TCommandLine line(QStringList{QStringLiteral("tidewell")} + arguments);
    QVERIFY(line.Error().isEmpty());
    Seen started;
    {
        ScriptedModal modal;
        TForm1 window(OwnCommandLine());
        ShowStartWindow(window, line.File());
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        QVERIFY(modal.openPresets.isEmpty());  // no Open dialog at start
        started = Look(window, modal);
    }

    ForgetEarlierTests();
    Seen byOpen;
    {
        ScriptedModal modal;
        const std::unique_ptr<TForm1> window = ShowWindow();
        if (!opened.isEmpty()) {
            modal.openAnswers.push_back(folder->filePath(opened));
            QTest::mouseClick(Child<QAbstractButton>(*window, "OpenButton"), Qt::LeftButton);
        }
        byOpen = Look(*window, modal);
    }

    QCOMPARE(started.status, status);
    QCOMPARE(started.status, byOpen.status);
    QCOMPARE(started.messages, byOpen.messages);
    QCOMPARE(started.settings, byOpen.settings);
    QCOMPARE(started.body.toHex(' '), byOpen.body.toHex(' '));
    QCOMPARE(started.commands, byOpen.commands);
    QCOMPARE(started.nextOpenPreset, byOpen.nextOpenPreset);
    if (status == QLatin1String("Ready"))
        QCOMPARE(started.body.toHex(' '), BodyOf(SampleRecord(1)).toHex(' '));
}

TIDEWELL_ISOLATED_MAIN(StartFileTest)
#include "StartFileTest.moc"
