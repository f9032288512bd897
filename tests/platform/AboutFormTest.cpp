#include "platform/AboutForm.h"
#include "platform/VersionInformation.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>

// Takes the URLs that the About window hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

class AboutFormTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheVersionOfTheFileRead_data();
    void showsTheVersionOfTheFileRead();
    void isAFixedToolWindowWithItsPicture();
    void standsAtTheMainWindowsOffsetOnEveryShowing();
    void closeEndsWithOk();
    void linksOpenMailAndWeb_data();
    void linksOpenMailAndWeb();
    void linesShareOneMiddle();
};

void AboutFormTest::showsTheVersionOfTheFileRead_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::newRow("with the block") << VERSION_PROBE << "Version: 2.0.1";
    QTest::newRow("without") << PLAIN_PROBE << "Version: Unknown";
    QTest::newRow("never read") << QString() << "Version: Unknown";
}

void AboutFormTest::showsTheVersionOfTheFileRead()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    VersionInformation info;
    if (!file.isEmpty()) {
        info.SetFileName(file.toStdWString());
        info.Read();
    }
    TAboutForm about(info);
    QCOMPARE(about.findChild<QLabel*>("Label4")->text(), text);
}

void AboutFormTest::isAFixedToolWindowWithItsPicture()
{
    VersionInformation info;
    TAboutForm about(info);
    QCOMPARE(about.windowTitle(), QString("About"));
    QCOMPARE(about.minimumSize(), QSize(326, 133));
    QCOMPARE(about.maximumSize(), QSize(326, 133));
    QVERIFY(about.windowFlags().testFlag(Qt::Tool));
    QVERIFY(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(about.findChild<QLabel*>("ProductImage")->pixmap().size(), QSize(80, 80));
    QCOMPARE(about.findChild<QPushButton*>("Button2")->text(), QString("&Close"));
}

void AboutFormTest::standsAtTheMainWindowsOffsetOnEveryShowing()
{
    QWidget main;
    main.setGeometry(100, 50, 465, 385);
    main.show();
    VersionInformation info;
    TAboutForm about(info, &main);

    for (const QPoint corner : {QPoint(100, 50), QPoint(300, 200)}) {
        main.move(corner);
        about.show();
        QCOMPARE(about.pos(), main.pos() + QPoint(70, 105));
        about.hide();
    }
}

void AboutFormTest::closeEndsWithOk()
{
    VersionInformation info;
    TAboutForm about(info);
    QTimer::singleShot(0, &about, [&about] {
        QTest::mouseClick(about.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    });
    QCOMPARE(about.exec(), int(QDialog::Accepted));
}

void AboutFormTest::linksOpenMailAndWeb_data()
{
    QTest::addColumn<bool>("keyboard");
    QTest::newRow("clicked") << false;
    QTest::newRow("reached with Tab, followed with Enter") << true;
}

void AboutFormTest::linksOpenMailAndWeb()
{
    QFETCH(bool, keyboard);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    VersionInformation info;
    TAboutForm about(info);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    about.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    for (const char* name : {"MailLink", "WebLink"}) {
        QLabel* link = about.findChild<QLabel*>(name);
        QVERIFY(!link->accessibleName().isEmpty());
        if (!keyboard) {
            QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
            continue;
        }
        for (int presses = 0; presses < 4 && QApplication::focusWidget() != link; ++presses)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), link);
        QTest::keyClick(link, Qt::Key_Return);
        QVERIFY(about.isVisible());  // Enter on a link is not Close
    }
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("https");

    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls[0].scheme(), QString("mailto"));
    QCOMPARE(catcher.urls[0].path(), QString("support@hallvex.example"));
    QCOMPARE(catcher.urls[1], QUrl("https://hallvex.example/tidewell"));
}

void AboutFormTest::linesShareOneMiddle()
{
    VersionInformation info;
    TAboutForm about(info);
    const int middle = about.findChild<QLabel*>("TitleLabel")->geometry().center().x();
    for (const char* name : {"NoticeLabel", "Label4"}) {
        const QLabel* line = about.findChild<QLabel*>(name);
        QCOMPARE(line->geometry().center().x(), middle);
        QVERIFY(line->alignment().testFlag(Qt::AlignHCenter));
    }
    // "Report Bugs to:" and its link meet at the middle.
    const QLabel* report = about.findChild<QLabel*>("ReportLabel");
    const QLabel* mail = about.findChild<QLabel*>("MailLink");
    QVERIFY(report->alignment().testFlag(Qt::AlignRight));
    QVERIFY(report->geometry().right() < middle && mail->geometry().left() > middle);
    QCOMPARE(middle - report->geometry().right(), mail->geometry().left() - middle);
    // The web link in the dialog's own size, not as large as the title.
    QCOMPARE(about.findChild<QLabel*>("WebLink")->font().pixelSize(), about.font().pixelSize());
}

QTEST_MAIN(AboutFormTest)
#include "AboutFormTest.moc"
