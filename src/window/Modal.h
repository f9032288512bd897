#pragma once
// Everything modal that a person answers goes through here: message boxes, the Open and
// Save dialogs and the showing of dialogs. Window tests install their own answers, so
// nothing ever waits for a person who is not there.

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

class Modal {
public:
    virtual ~Modal() = default;

    // Returns the button pressed. No or Cancel, where offered, is the default answer;
    // Apply stands for Store.
    virtual QMessageBox::StandardButton Message(QWidget* parent, const QString& text,
                                                const QString& caption,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::Icon icon) = 0;
    // The file chosen, or an empty string when the person cancelled. A name typed
    // without extension gets ".kvx".
    virtual QString OpenFileName(QWidget* parent, const QString& preset) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& preset) = 0;
    // Shows `dialog` modally and returns its result.
    virtual int Exec(QDialog& dialog) = 0;

    // The one in use: the real dialogs unless a test installed its own.
    static Modal& Current();
    // Installs `modal` (not owned); null puts the real dialogs back.
    static void Install(Modal* modal);
};
