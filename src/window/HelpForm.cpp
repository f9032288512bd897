#include "window/HelpForm.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <stdexcept>

#include "platform/ApplicationIcon.h"

THelpForm::THelpForm(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Window), browser(new QTextBrowser(this))
{
    QFile guide(QStringLiteral(":/help/guide.md"));
    if (!guide.open(QIODevice::ReadOnly))
        throw std::runtime_error("Could Not Open Help.");
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Tidewell Help"));
    setWindowIcon(ApplicationIcon());
    browser->setObjectName(QStringLiteral("HelpText"));
    browser->setAccessibleName(tr("Tidewell guide"));
    browser->setOpenExternalLinks(true);
    browser->document()->setDocumentMargin(12);
    browser->document()->setMarkdown(QString::fromUtf8(guide.readAll()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    // Opens at the guide's beginning, not where the text ended up after it was put in.
    browser->moveCursor(QTextCursor::Start);
    // No larger than the screen it opens on, which a large scale factor makes small.
    const QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    QSize size(620, 640);
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
}
