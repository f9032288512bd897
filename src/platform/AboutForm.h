#pragma once
// The About window: product picture, version, and where to report bugs.

#include <QDialog>

#include <memory>

class VersionInformation;
namespace Ui {
class TAboutForm;
}

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    // The version text is taken from info now and stays as it is. mainWindow is the window
    // that the About window is placed against.
    explicit TAboutForm(const VersionInformation& info, QWidget* mainWindow = nullptr);
    ~TAboutForm() override;

protected:
    // Each showing puts the window 70 pixels right of and 105 below the main window's
    // top-left corner, wherever that window stands now.
    void showEvent(QShowEvent* event) override;

private slots:
    void Button2Click();

private:
    std::unique_ptr<Ui::TAboutForm> ui;
};
