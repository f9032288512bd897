#include "FormDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "window/Externals.h"
#include "window/Main.h"

FormDriver::FormDriver(TForm1& form)
    : form_(form),
      window_(form),
      status_(Find<QLabel>("StatusBar1")),
      progressBar_(Find<QProgressBar>("ProgressBar1"))
{
    connect(&form.Worker(), &TDeviceWorker::KeepAliveDone, this, [this] { ++doneMessages_; });
    status_->installEventFilter(this);
    progressBar_->installEventFilter(this);
    window_.show();
    if (!QTest::qWaitForWindowExposed(&window_))
        qWarning("the window was not shown");
}

QToolButton* FormDriver::Button(const char* name) const
{
    return Find<QToolButton>(name);
}

QAction* FormDriver::Item(const char* name) const
{
    return Find<QAction>(name);
}

void FormDriver::Click(const char* button)
{
    QTest::mouseClick(Button(button), Qt::LeftButton);
    if (!WaitIdle())
        qWarning("%s: the window is still busy", button);
}

bool FormDriver::WaitIdle(int ms) const
{
    return QTest::qWaitFor([this] { return !form_.IsBusy(); }, ms);
}

void FormDriver::SetOption(const char* item, bool on)
{
    if (Item(item)->isChecked() != on)
        Item(item)->trigger();
}

void FormDriver::TypePort(const QString& text)
{
    QComboBox* box = Find<QComboBox>("ComSelect");
    box->lineEdit()->selectAll();
    box->lineEdit()->del();
    QTest::keyClicks(box, text);
}

void FormDriver::TypeInto(const char* edit, const QString& text)
{
    QLineEdit* line = Find<QLineEdit>(edit);
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, text);
    line->clearFocus();
}

QStringList FormDriver::SettingsShown() const
{
    QStringList shown;
    for (const char* page : {"StandardPage", "ExtendedPage"}) {
        const QWidget* controls = Find<QWidget>(page);
        for (const QLineEdit* edit : controls->findChildren<QLineEdit*>())
            shown << edit->objectName() + QLatin1Char('=') + edit->text();
        for (const QAbstractButton* button : controls->findChildren<QAbstractButton*>())
            if (button->isCheckable())
                shown << button->objectName() +
                             (button->isChecked() ? QStringLiteral("=on") : QStringLiteral("=off"));
    }
    return shown;
}

QString FormDriver::Status() const
{
    return status_->text();
}

int FormDriver::Glyph(const char* button) const
{
    return Button(button)->property("glyphIndex").toInt();
}

bool FormDriver::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == status_ && event->type() == QEvent::Paint &&
        (painted_.isEmpty() || painted_.back() != status_->text()))
        painted_ << status_->text();
    if (watched == progressBar_ && event->type() == QEvent::Paint &&
        (progress_.isEmpty() || progress_.back() != progressBar_->value()))
        progress_ << progressBar_->value();
    return QObject::eventFilter(watched, event);
}
