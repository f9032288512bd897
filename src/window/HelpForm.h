#pragma once
// The guide: what each setting means, how to connect, how backups and settings files
// work, and the keys. Shown beside the main window, so that it can stay open while the
// person works.

#include <QDialog>

class QTextBrowser;

class THelpForm : public QDialog {
    Q_OBJECT

public:
    // Throws std::runtime_error "Could Not Open Help." when the guide cannot be read.
    explicit THelpForm(QWidget* mainWindow);

    QTextBrowser* Browser() const { return browser; }

private:
    QTextBrowser* browser;
};
