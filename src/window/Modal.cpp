#include "window/Modal.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>

namespace {

constexpr const char* kSuffix = "kvx";

class RealModal : public Modal {
public:
    QMessageBox::StandardButton Message(QWidget* parent, const QString& text,
                                        const QString& caption,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon) override
    {
        QMessageBox box(icon, caption, text, buttons, parent);
        // Enter gives the answer that loses and overwrites nothing.
        for (const QMessageBox::StandardButton safe : {QMessageBox::No, QMessageBox::Cancel})
            if (buttons & safe) {
                box.setDefaultButton(safe);
                break;
            }
        if (QAbstractButton* store = box.button(QMessageBox::Apply))
            store->setText(QObject::tr("Store"));
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    QString OpenFileName(QWidget* parent, const QString& preset) override
    {
        return Ask(parent, preset, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
    }

    QString SaveFileName(QWidget* parent, const QString& preset) override
    {
        return Ask(parent, preset, QFileDialog::AcceptSave, QFileDialog::AnyFile);
    }

    int Exec(QDialog& dialog) override { return dialog.exec(); }

private:
    static QString Ask(QWidget* parent, const QString& preset, QFileDialog::AcceptMode mode,
                       QFileDialog::FileMode fileMode)
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(fileMode);
        dialog.setDefaultSuffix(QString::fromLatin1(kSuffix));
        // The program's own files first, so that they are what the dialog lists at first.
        dialog.setNameFilters({QCoreApplication::translate("Modal", "Tidewell settings (*.kvx)"),
                               QCoreApplication::translate("Modal", "All Files (*)")});
        if (!preset.isEmpty())
            dialog.selectFile(preset);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }
};

RealModal realModal;
Modal* current = nullptr;

}  // namespace

Modal& Modal::Current()
{
    return current ? *current : realModal;
}

void Modal::Install(Modal* modal)
{
    current = modal;
}
