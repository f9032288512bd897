#pragma once
// Works the main window as a person does, through its controls found by name, and
// watches what a person would see: the status pane and the progress bar as they are
// painted, the glyphs; and the refresh worker's done messages arriving.

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

    void Click(const char* button);
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
    // The window's keep-alive timer.
    QTimer* KeepAliveTimer() const;
    // Whether the main thread holds the device controller now.
    static bool DeviceBusyNow();
    // RefreshDoneMessage deliveries so far.
    int DoneMessages() const { return doneMessages_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QLabel* status_;
    QProgressBar* progressBar_;
    QStringList painted_;
    QList<int> progress_;
    int doneMessages_ = 0;
};
