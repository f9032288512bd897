// The window's title: it names the settings file shown, or the dive computer after a Load,
// and marks with "*" the edits that would be lost.
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include "ConnectedWindow.h"
#include "IsolatedMain.h"

namespace {

// The title as the window system shows it, "*" in place of "[*]" while there are edits.
QString Shown(const TForm1& form)
{
    return form.windowHandle()->title();
}

}  // namespace

class TitleTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void titleFollowsWhereTheSettingsCameFrom();
};

void TitleTest::titleFollowsWhereTheSettingsCameFrom()
{
    ConnectedWindow w;
    TForm1& form = *w.form;
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("reef.kvx"));
    w.modal.saveAnswers = {saved};
    w.modal.openAnswers = {saved};
    QCOMPARE(Shown(form), QStringLiteral("Tidewell"));

    w.driver.Click("LoadButton");
    QCOMPARE(form.windowFilePath(), QString());
    QCOMPARE(Shown(form), QStringLiteral("Kelvor Type1"));
    QVERIFY(!form.isWindowModified());

    w.driver.TypeInto("TimeAlarmEdit", QStringLiteral("9"));
    QVERIFY(form.isWindowModified());
    QCOMPARE(Shown(form), QStringLiteral("Kelvor Type1*"));

    w.driver.Click("SaveButton");
    QCOMPARE(form.windowFilePath(), saved);
    QCOMPARE(Shown(form), QStringLiteral("reef.kvx"));

    w.driver.TypeInto("TimeAlarmEdit", QStringLiteral("12"));
    QCOMPARE(Shown(form), QStringLiteral("reef.kvx*"));
    w.driver.Click("StoreButton");  // on the dive computer now: nothing would be lost
    QVERIFY2(w.driver.Status().startsWith(QStringLiteral("Store Completed")),
             qPrintable(w.driver.Status()));
    QCOMPARE(Shown(form), QStringLiteral("reef.kvx"));

    w.driver.TypeInto("TimeAlarmEdit", QStringLiteral("15"));
    w.modal.answers.push_back(QMessageBox::Discard);  // asked before the edit is dropped
    w.driver.Click("OpenButton");
    QCOMPARE(form.windowFilePath(), saved);
    QCOMPARE(Shown(form), QStringLiteral("reef.kvx"));

    // Loaded settings are the dive computer's, not the file's any longer.
    w.driver.Click("LoadButton");
    QCOMPARE(form.windowFilePath(), QString());
    QCOMPARE(Shown(form), QStringLiteral("Kelvor Type1"));
}

TIDEWELL_ISOLATED_MAIN(TitleTest)
#include "TitleTest.moc"
