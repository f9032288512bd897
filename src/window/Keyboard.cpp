// The keys of the commands and of the pages, and the menu items that show those keys, so
// that a diver can connect, load, edit, store, save and open without a mouse.
#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QTabWidget>
#include <QToolButton>

#include "ui_Main.h"
#include "window/Main.h"

namespace {

// Keeps a menu item enabled exactly when its tool button is: the state machine switches
// only the button of Connect and of Undo.
class EnabledMirror : public QObject {
public:
    EnabledMirror(QToolButton* button, QAction* item) : QObject(item), item_(item)
    {
        button->installEventFilter(this);
        item_->setEnabled(button->isEnabled());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange)
            item_->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
        return QObject::eventFilter(watched, event);
    }

private:
    QAction* item_;
};

// Moves `step` pages on, round the end, past pages that cannot be shown, as a tab widget
// does for Ctrl+Tab while the focus is inside it.
void StepPage(QTabWidget* pages, int step)
{
    const int count = pages->count();
    for (int i = 1; i < count; ++i) {
        const int index = ((pages->currentIndex() + step * i) % count + count) % count;
        if (pages->isTabEnabled(index) && pages->isTabVisible(index)) {
            pages->setCurrentIndex(index);
            return;
        }
    }
}

}  // namespace

void TForm1::SetUpKeyboard()
{
    ui->Connect1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    ui->Load->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    ui->Store->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    ui->Open->setShortcut(QKeySequence::Open);
    ui->Save->setShortcut(QKeySequence::Save);
    ui->Undo1->setShortcut(QKeySequence::Undo);
    // Platforms that close windows with Alt+F4 alone name no quit key; Ctrl+Q then.
    const QKeySequence quit(QKeySequence::Quit);
    ui->Exit1->setShortcut(quit.isEmpty() ? QKeySequence(Qt::CTRL | Qt::Key_Q) : quit);
    ui->ShowHelp1->setShortcut(QKeySequence::HelpContents);

    new EnabledMirror(ui->ConnectButton, ui->Connect1);
    new EnabledMirror(ui->UndoButton, ui->Undo1);
    connect(ui->Connect1, &QAction::triggered, this, [this] { Run(&TForm1::ConnectButtonClick); });
    connect(ui->Undo1, &QAction::triggered, this, [this] { Run(&TForm1::UndoButtonClick); });

    // The tab widget turns its pages with Ctrl+Tab only while the focus is inside it; these
    // do it from anywhere in the window, the tool bar included.
    auto* nextPage = new QAction(this);
    nextPage->setObjectName(QStringLiteral("NextPage"));
    nextPage->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab)});
    connect(nextPage, &QAction::triggered, this, [this] { StepPage(ui->PageControl1, 1); });
    auto* previousPage = new QAction(this);
    previousPage->setObjectName(QStringLiteral("PreviousPage"));
    previousPage->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});
    connect(previousPage, &QAction::triggered, this, [this] { StepPage(ui->PageControl1, -1); });
    addActions({nextPage, previousPage});
}
