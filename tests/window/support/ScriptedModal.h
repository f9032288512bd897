#pragma once
// Answers everything modal in place of a person, and keeps a record of what was asked.

#include <deque>
#include <functional>

#include <QDialog>
#include <QStringList>

#include "window/Modal.h"

struct ShownMessage {
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
};

class ScriptedModal : public Modal {
public:
    ScriptedModal() { Modal::Install(this); }
    ~ScriptedModal() override { Modal::Install(nullptr); }

    // File names to answer the Open and Save dialogs with, in order; "" cancels.
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    // What to do with a dialog shown modally; by default it is closed with Cancel (2).
    std::function<void(QDialog&)> onExec;

    // Answers to questions (boxes with more than an OK button), in order. A question with
    // none left is answered No: the answer that changes nothing.
    std::deque<QMessageBox::StandardButton> answers;
    QList<ShownMessage> messages;
    QStringList openPresets;
    QStringList savePresets;

    QMessageBox::StandardButton Message(QWidget*, const QString& text, const QString& caption,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon) override
    {
        messages.append({text, caption, buttons});
        if (buttons == QMessageBox::Ok)
            return QMessageBox::Ok;
        if (answers.empty())
            return QMessageBox::No;
        const QMessageBox::StandardButton answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString OpenFileName(QWidget*, const QString& preset) override
    {
        openPresets << preset;
        return Next(openAnswers);
    }
    QString SaveFileName(QWidget*, const QString& preset) override
    {
        savePresets << preset;
        return Next(saveAnswers);
    }
    int Exec(QDialog& dialog) override
    {
        dialog.show();
        if (onExec)
            onExec(dialog);
        else
            dialog.done(2);
        const int result = dialog.result();
        dialog.hide();
        return result;
    }

private:
    static QString Next(std::deque<QString>& answers)
    {
        if (answers.empty())
            return QString();
        QString next = answers.front();
        answers.pop_front();
        return next;
    }
};
