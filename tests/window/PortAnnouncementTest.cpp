// An emulator started without a runtime folder, as under sudo or from a bare shell: it
// announces in the shared fallback under TMPDIR, the window's port box lists it, and once
// it stops neither it nor the window has left anything there.
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include "FormDriver.h"
#include "IsolatedMain.h"
#include "RunningEmulator.h"
#include "ScriptedModal.h"
#include "window/Main.h"

class PortAnnouncementTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void listedFromTheSharedFolder();
};

void PortAnnouncementTest::listedFromTheSharedFolder()
{
    // TMPDIR is this test's own folder.
    const QDir temp(QDir::tempPath());
    const QString shared = temp.filePath(QStringLiteral("tidewell-%1").arg(::getuid()));
    const auto contents = [&temp] {
        return temp.entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                              QDir::NoDotAndDotDot);
    };
    const QStringList before = contents();
    QVERIFY(!before.contains(QFileInfo(shared).fileName()));
    {
        RunningEmulator emulator(QStringLiteral("shared"), {},
                                 RunningEmulator::Announce::WithoutRuntimeFolder);
        QVERIFY(emulator.IsReady());
        QCOMPARE(QFileInfo(shared + QStringLiteral("/ports/shared")).symLinkTarget(),
                 emulator.Terminal());

        ScriptedModal modal;
        TForm1 form;
        FormDriver driver(form);
        QComboBox* box = driver.Find<QComboBox>("ComSelect");
        QVERIFY(box->findText(emulator.PortText()) >= 0);

        QVERIFY(emulator.Stop());
        QVERIFY(!QFileInfo::exists(shared));
        form.ComSelectDropDown();
        QCOMPARE(box->findText(emulator.PortText()), -1);
        QVERIFY(modal.messages.isEmpty());
    }
    QCOMPARE(contents(), before);
}

TIDEWELL_ISOLATED_MAIN(PortAnnouncementTest)
#include "PortAnnouncementTest.moc"
