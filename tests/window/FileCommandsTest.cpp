#include "FileCommandsTest.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <csignal>
#include <system_error>

#include "support/ScriptedModal.h"
#include "support/WindowHelpers.h"
#include "window/Externals.h"
#include "window/Main.h"

namespace {

QAbstractButton* Button(const TForm1& window, const char* name)
{
    return Child<QAbstractButton>(window, name);
}

// Switches the units, an edit the person could make, so that Save is offered.
void EditSomething(TForm1& window)
{
    const bool metric = Button(window, "UnitsItem1")->isChecked();
    ClickOnItsPage(window, Button(window, metric ? "UnitsItem0" : "UnitsItem1"));
}

// Writes to files fail past `limit` bytes while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit low{limit, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &low);
        previous = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }

private:
    rlimit saved{};
    void (*previous)(int) = nullptr;
};

QString Reason(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

}  // namespace

FileCommandsTest::FileCommandsTest() = default;
FileCommandsTest::~FileCommandsTest() = default;

void FileCommandsTest::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    modal = std::make_unique<ScriptedModal>();
    CurrentSettings = DEVICE_DATA{};
    window = ShowWindow();
    QVERIFY(window->Version().Valid());
}

void FileCommandsTest::cleanup()
{
    window.reset();
    modal.reset();
    if (folder) {
        // A folder made read-only by a test must be removable again.
        QFile::setPermissions(folder->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
        for (const QString& sub : QDir(folder->path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QFile::setPermissions(Path(sub), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
    }
    folder.reset();
}

QString FileCommandsTest::Path(const QString& name) const
{
    return folder->filePath(name);
}

QString FileCommandsTest::SampleFile(int variant)
{
    const QString path = Path(QStringLiteral("sample%1.kvx").arg(variant));
    WriteFile(path, SettingsFileBytes(kOwnHeader, BodyOf(SampleRecord(variant))));
    return path;
}

void FileCommandsTest::OpenFile(const QString& path)
{
    modal->openAnswers.push_back(path);
    QTest::mouseClick(Button(*window, "OpenButton"), Qt::LeftButton);
}

void FileCommandsTest::SaveFile(const QString& path)
{
    modal->saveAnswers.push_back(path);
    QTest::mouseClick(Button(*window, "SaveButton"), Qt::LeftButton);
}

void FileCommandsTest::saveThenOpenGivesTheSameSettings()
{
    const QString first = SampleFile(1);
    OpenFile(first);
    QCOMPARE(StatusOf(*window), QStringLiteral("Ready"));
    QCOMPARE(BodyOf(CurrentSettings).toHex(' '), BodyOf(SampleRecord(1)).toHex(' '));
    QCOMPARE(Child<QWidget>(*window, "CompModel")->property("text").toString(),
             QStringLiteral("Quessa"));

    EditSomething(*window);
    QVERIFY(Button(*window, "SaveButton")->isEnabled());
    const QString saved = Path(QStringLiteral("saved.kvx"));
    SaveFile(saved);
    QCOMPARE(StatusOf(*window), QStringLiteral("The settings were saved to saved.kvx."));
    const QByteArray savedBody = BodyOf(CurrentSettings);
    const QMap<QString, QString> savedControls = ShownSettings(*window);
    QCOMPARE(ReadFile(saved), SettingsFileBytes(kOwnHeader, savedBody));

    OpenFile(SampleFile(2));
    QVERIFY(ShownSettings(*window) != savedControls);
    OpenFile(saved);
    QCOMPARE(StatusOf(*window), QStringLiteral("Ready"));
    QCOMPARE(BodyOf(CurrentSettings).toHex(' '), savedBody.toHex(' '));
    QCOMPARE(ShownSettings(*window), savedControls);

    // Each dialog offers the name chosen in it last.
    QCOMPARE(modal->openPresets,
             QStringList({QString(), first, Path(QStringLiteral("sample2.kvx"))}));
    QCOMPARE(modal->savePresets, QStringList({QString()}));
    EditSomething(*window);
    SaveFile(QString());
    QCOMPARE(modal->savePresets.last(), saved);
}

void FileCommandsTest::refusedFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("status");

    const QByteArray body = BodyOf(SampleRecord(2));
    const QByteArray good = SettingsFileBytes(kOwnHeader, body);
    QTest::newRow("another company")
        << SettingsFileBytes(QStringLiteral("Kelvor Inv.Tidewell"), body)
        << "Incompatible File Type";
    QTest::newRow("another product")
        << SettingsFileBytes(QStringLiteral("Hallvex Inv.Tidewall"), body)
        << "Incompatible File Type";
    QTest::newRow("letter case") << SettingsFileBytes(QStringLiteral("HALLVEX INV.TIDEWELL"), body)
                                 << "Incompatible File Type";
    QTest::newRow("empty file") << QByteArray() << "Incompatible File Type";
    QTest::newRow("ends inside the header") << good.left(30) << "Incompatible File Type";
    // N = 1001: more than the reader's header buffer holds.
    QByteArray huge = good;
    huge[0] = char(0xE9);
    huge[1] = char(0x03);
    huge.append(QByteArray(1001 - 41, '\0'));
    QTest::newRow("header larger than the buffer") << huge << "Incompatible File Type";
    QTest::newRow("body one byte short") << good.chopped(1) << "Read Failure";
    QTest::newRow("header only") << good.left(43) << "Read Failure";
}

void FileCommandsTest::refusedFileChangesNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, status);

    OpenFile(SampleFile(1));
    EditSomething(*window);
    const DEVICE_DATA before = CurrentSettings;
    const QMap<QString, QString> shown = ShownSettings(*window);
    const bool saveOffered = Button(*window, "SaveButton")->isEnabled();

    const QString refused = Path(QStringLiteral("refused.kvx"));
    WriteFile(refused, file);
    // Asked first about the edits that would be lost.
    modal->answers.push_back(QMessageBox::Discard);
    OpenFile(refused);
    QCOMPARE(modal->messages.size(), 2);
    QCOMPARE(modal->messages[0].buttons,
             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    modal->messages.removeFirst();
    QCOMPARE(StatusOf(*window), status);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&CurrentSettings), sizeof CurrentSettings)
                 .toHex(' '),
             QByteArray(reinterpret_cast<const char*>(&before), sizeof before).toHex(' '));
    QCOMPARE(ShownSettings(*window), shown);
    QCOMPARE(Button(*window, "SaveButton")->isEnabled(), saveOffered);
    QVERIFY(window->IsChanged());
    // Said in a box too, not only in the status bar.
    QCOMPARE(modal->messages.size(), 1);
    QCOMPARE(modal->messages[0].caption, status);
    QVERIFY2(modal->messages[0].text.contains(refused), qPrintable(modal->messages[0].text));
    modal->messages.clear();
}

void FileCommandsTest::cancelKeepsTheStatus_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Open") << "OpenButton";
    QTest::newRow("Save") << "SaveButton";
}

void FileCommandsTest::cancelKeepsTheStatus()
{
    QFETCH(QString, button);

    OpenFile(SampleFile(1));
    EditSomething(*window);
    modal->answers.push_back(QMessageBox::Discard);
    OpenFile(Path(QStringLiteral("absent.kvx")));
    QCOMPARE(StatusOf(*window), QStringLiteral("File not Open"));
    modal->messages.removeFirst();  // the question about the edits
    const QByteArray body = BodyOf(CurrentSettings);

    if (button == QLatin1String("OpenButton"))
        modal->answers.push_back(QMessageBox::Discard);
    QTest::mouseClick(Button(*window, button.toLatin1().constData()), Qt::LeftButton);
    if (button == QLatin1String("OpenButton"))
        modal->messages.removeLast();
    QCOMPARE(modal->openPresets.size() + modal->savePresets.size(), 3);  // the dialog was shown
    QCOMPARE(StatusOf(*window), QStringLiteral("File not Open"));
    QCOMPARE(BodyOf(CurrentSettings), body);
    QCOMPARE(QDir(folder->path()).entryList(QDir::Files),
             QStringList({QStringLiteral("sample1.kvx")}));
    QCOMPARE(modal->messages.size(), 1);  // the reason the absent file was not opened
}

void FileCommandsTest::failedSaveLeavesTheOldFile_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");  // the one error box's text holds it
    QTest::newRow("read-only folder") << "read-only"
                                      << "Save Failed" << Reason(EACCES);
    QTest::newRow("disk full") << "full"
                               << "Save Failed" << Reason(EFBIG);
    QTest::newRow("no version information") << "no-info"
                                            << "Saving To File"
                                            << "Info Not Available";
}

void FileCommandsTest::failedSaveLeavesTheOldFile()
{
    QFETCH(QString, failure);
    QFETCH(QString, status);
    QFETCH(QString, message);

    if (failure == QLatin1String("no-info")) {
        // A program file without the version block: the header cannot be formed.
        window.reset();
        window = ShowWindow(QStringLiteral("/nowhere/tidewell"));
        QVERIFY(!window->Version().Valid());
        window->EnableSettingGroups(true);
    } else {
        OpenFile(SampleFile(1));
    }
    EditSomething(*window);

    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("out")));
    const QString target = Path(QStringLiteral("out/settings.kvx"));
    const QByteArray old = SettingsFileBytes(kOwnHeader, BodyOf(SampleRecord(2)));
    WriteFile(target, old);

    modal->saveAnswers.push_back(target);
    if (failure == QLatin1String("read-only")) {
        QVERIFY(QFile::setPermissions(Path(QStringLiteral("out")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QFile probe(Path(QStringLiteral("out/probe")));
        if (probe.open(QIODevice::WriteOnly))
            QSKIP("this user writes into read-only folders (root)");
        QTest::mouseClick(Button(*window, "SaveButton"), Qt::LeftButton);
    } else if (failure == QLatin1String("full")) {
        const FileSizeLimit full(static_cast<rlim_t>(old.size() / 2));
        QTest::mouseClick(Button(*window, "SaveButton"), Qt::LeftButton);
    } else {
        QTest::mouseClick(Button(*window, "SaveButton"), Qt::LeftButton);
    }

    QCOMPARE(StatusOf(*window), status);
    QCOMPARE(modal->messages.size(), 1);
    QVERIFY2(modal->messages[0].text.contains(message), qPrintable(modal->messages[0].text));
    QCOMPARE(ReadFile(target), old);
    QCOMPARE(QDir(Path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("settings.kvx")}));
}

void FileCommandsTest::onlyRegularFilesAreOpenedOrReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");  // why it is neither opened nor replaced; "": it is

    QTest::newRow("regular file") << "regular" << QString();
    QTest::newRow("missing") << "missing" << QString();
    QTest::newRow("symbolic link to a regular file") << "link" << QString();
    QTest::newRow("device") << "device"
                            << "it is a device, not a regular file";
    QTest::newRow("FIFO") << "fifo"
                          << "it is a FIFO, not a regular file";
    QTest::newRow("folder") << "folder" << Reason(EISDIR);
}

void FileCommandsTest::onlyRegularFilesAreOpenedOrReplaced()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    const QString target = Path(QStringLiteral("target.kvx"));
    const QByteArray native = QFile::encodeName(target);
    const QString linked = Path(QStringLiteral("linked.kvx"));
    const QByteArray second = SettingsFileBytes(kOwnHeader, BodyOf(SampleRecord(2)));
    if (kind == QLatin1String("regular"))
        WriteFile(target, second);
    else if (kind == QLatin1String("link")) {
        WriteFile(linked, second);
        QVERIFY(QFile::link(linked, target));
    } else if (kind == QLatin1String("device")) {
        // The numbers of /dev/full, whose replacement once cost a system its /dev/full.
        if (::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            QSKIP("this user makes no device nodes");
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(native.constData(), 0666), 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("target.kvx")));
    }
    struct stat before {};
    ::lstat(native.constData(), &before);

    OpenFile(SampleFile(1));
    // Returns at once also for a FIFO that no program writes to.
    OpenFile(target);
    const bool regular = kind != QLatin1String("missing") && reason.isEmpty();
    if (regular) {
        QCOMPARE(StatusOf(*window), QStringLiteral("Ready"));
        QCOMPARE(BodyOf(CurrentSettings), BodyOf(SampleRecord(2)));
        QVERIFY(modal->messages.isEmpty());
    } else {
        QCOMPARE(StatusOf(*window), QStringLiteral("File not Open"));
        QCOMPARE(BodyOf(CurrentSettings), BodyOf(SampleRecord(1)));
        QCOMPARE(modal->messages.size(), 1);
        QCOMPARE(modal->messages[0].caption, QStringLiteral("File not Open"));
        const QString why = reason.isEmpty() ? Reason(ENOENT) : reason;
        QVERIFY2(modal->messages[0].text.contains(why), qPrintable(modal->messages[0].text));
        modal->messages.clear();
    }

    EditSomething(*window);
    SaveFile(target);
    const QByteArray saved = SettingsFileBytes(kOwnHeader, BodyOf(CurrentSettings));
    struct stat after {};
    ::lstat(native.constData(), &after);
    if (reason.isEmpty()) {
        QCOMPARE(
            StatusOf(*window),
            QStringLiteral("The settings were saved to %1.").arg(QFileInfo(target).fileName()));
        QVERIFY(modal->messages.isEmpty());
        QCOMPARE(ReadFile(target), saved);
        // A link stays a link; the file it names is the one replaced.
        QCOMPARE(QFileInfo(target).isSymLink(), kind == QLatin1String("link"));
        if (kind == QLatin1String("link"))
            QCOMPARE(ReadFile(linked), saved);
    } else {
        QCOMPARE(StatusOf(*window), QStringLiteral("Save Failed"));
        QCOMPARE(modal->messages.size(), 1);
        QCOMPARE(modal->messages[0].caption, QStringLiteral("Save Failed"));
        QVERIFY2(modal->messages[0].text.contains(reason), qPrintable(modal->messages[0].text));
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_rdev, before.st_rdev);
    }
    // No temporary file is left behind.
    QStringList expected = {QStringLiteral("sample1.kvx"), QStringLiteral("target.kvx")};
    if (kind == QLatin1String("link"))
        expected.prepend(QStringLiteral("linked.kvx"));
    QCOMPARE(QDir(folder->path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             expected);
}

void FileCommandsTest::undoEndsAtAnOpen()
{
    const DEVICE_DATA second = SampleRecord(2);
    OpenFile(SampleFile(1));
    ClickOnItsPage(*window, Button(*window, "UnitsItem0"));      // Metric -> Imperial
    ClickOnItsPage(*window, Button(*window, "DiveModelItem0"));  // Gauge -> Air

    // The edits are dropped only when the person says so; then no Undo can write the
    // first file's values into the second file's settings.
    modal->answers.push_back(QMessageBox::Discard);
    OpenFile(SampleFile(2));
    QCOMPARE(BodyOf(CurrentSettings), BodyOf(second));
    QVERIFY(window->UndoIsEmpty());
    QVERIFY(!Button(*window, "UndoButton")->isEnabled());

    ClickOnItsPage(*window, Button(*window, "ClockBoxItem0"));  // 24 hour -> 12 hour
    QVERIFY(Button(*window, "UndoButton")->isEnabled());
    QTest::mouseClick(Button(*window, "UndoButton"), Qt::LeftButton);
    QCOMPARE(BodyOf(CurrentSettings), BodyOf(second));
    QVERIFY(Button(*window, "ClockBoxItem1")->isChecked());
    QVERIFY(window->UndoIsEmpty());
    QVERIFY(!Button(*window, "UndoButton")->isEnabled());
}

// A machine whose serial ports cannot be listed still opens the window, with an empty port
// box and a word on why, and a settings file can be opened, edited and saved.
void FileCommandsTest::filesWorkWhenThePortsCannotBeListed()
{
    int listings = 0;
    window.reset();
    window = ShowWindow(OwnCommandLine(), [&listings](SERIALPORTS& list) {
        ++listings;
        list.clear();
        return false;
    });
    QVERIFY(listings > 0);
    QVERIFY(modal->messages.isEmpty());
    QCOMPARE(StatusOf(*window),
             QStringLiteral("The serial ports cannot be listed, so no dive computer can be "
                            "connected. Settings files can still be opened, edited and saved."));
    QCOMPARE(Child<QComboBox>(*window, "ComSelect")->count(), 0);

    OpenFile(SampleFile(1));
    QCOMPARE(StatusOf(*window), QStringLiteral("Ready"));
    QCOMPARE(BodyOf(CurrentSettings).toHex(' '), BodyOf(SampleRecord(1)).toHex(' '));
    EditSomething(*window);
    QVERIFY(Button(*window, "SaveButton")->isEnabled());
    const QString saved = Path(QStringLiteral("saved.kvx"));
    SaveFile(saved);
    QCOMPARE(StatusOf(*window), QStringLiteral("The settings were saved to saved.kvx."));
    QVERIFY(BodyOf(CurrentSettings) != BodyOf(SampleRecord(1)));
    QCOMPARE(ReadFile(saved), SettingsFileBytes(kOwnHeader, BodyOf(CurrentSettings)));
    QVERIFY(modal->messages.isEmpty());
}
