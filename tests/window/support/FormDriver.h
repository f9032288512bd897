#pragma once
// Works the main window as a person does, through its controls found by name, and
// watches what a person would see: the status pane and the progress bar as they are
// painted, the glyphs; and the worker's keep-alive exchanges ending.

#include <QAction>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

class QLabel;
class QProgressBar;
class TForm1;

class FormDriver : public QObject {
public:
    // Shows `form` and waits until it is on screen, so that the status pane paints.
    explicit FormDriver(TForm1& form);

    template <typename Control>
    Control* Find(const char* name) const
    {
        return window_.findChild<Control*>(QString::fromLatin1(name));
    }
    QToolButton* Button(const char* name) const;
    QAction* Item(const char* name) const;

    // Clicks, then waits until whatever the click asked of the worker has ended.
    void Click(const char* button);
    // Waits until the window has no request under way; false after `ms` without that.
    bool WaitIdle(int ms = 60000) const;
    // Chooses the menu item when its check mark is not yet `on`.
    void SetOption(const char* item, bool on);
    // Types `text` over whatever the port box shows.
    void TypePort(const QString& text);
    // Types `text` over the content of a single-line edit and leaves it.
    void TypeInto(const char* edit, const QString& text);

    // What the two settings pages show: each control's name with its text or check mark.
    QStringList SettingsShown() const;

    QString Status() const;
    // Every text the status pane painted, in order, repeats folded.
    const QStringList& StatusHistory() const { return painted_; }
    // Every value the progress bar painted, in order, repeats folded.
    const QList<int>& ProgressHistory() const { return progress_; }
    int Glyph(const char* button) const;
    // Keep-alive exchanges the worker has ended so far.
    int DoneMessages() const { return doneMessages_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1& form_;
    QWidget& window_;
    QLabel* status_;
    QProgressBar* progressBar_;
    QStringList painted_;
    QList<int> progress_;
    int doneMessages_ = 0;
};
