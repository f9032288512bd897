#include "platform/AboutForm.h"
#include "platform/VersionInformation.h"

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
    void linksOpenMailAndWeb();
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

void AboutFormTest::linksOpenMailAndWeb()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    VersionInformation info;
    TAboutForm about(info);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    for (const char* name : {"MailLink", "WebLink"}) {
        QLabel* link = about.findChild<QLabel*>(name);
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2));
    }
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("https");

    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls[0].scheme(), QString("mailto"));
    QCOMPARE(catcher.urls[0].path(), QString("support@hallvex.example"));
    QCOMPARE(catcher.urls[1], QUrl("https://hallvex.example/tidewell"));
}

QTEST_MAIN(AboutFormTest)
#include "AboutFormTest.moc"
