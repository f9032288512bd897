#include "window/Personaldataeditform.h"

#include <algorithm>

#include <QKeyEvent>

#include "device/AnsiText.h"
#include "ui_Personaldataeditform.h"
#include "window/Externals.h"
#include "window/Main.h"

std::string TPersonalEditForm::StartText;

TPersonalEditForm::TPersonalEditForm(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(new Ui::TPersonalEditForm)
{
    ui->setupUi(this);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    connect(ui->OKButton, &QPushButton::clicked, this, &TPersonalEditForm::OKButtonClick);
    connect(ui->CancelButton, &QPushButton::clicked, this, &TPersonalEditForm::CancelButtonClick);
    ui->Edit->installEventFilter(this);
    // As a Windows edit's limit: typing stops at 28 characters, but a longer text given
    // by SetText is shown whole and can only shrink.
    connect(ui->Edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        ui->Edit->setMaxLength(std::max<int>(MaxLength, int(text.size())));
    });
    ui->Edit->setAccessibleName(tr("Personal text"));
    ui->Edit->setAccessibleDescription(
        tr("At most %1 characters. Enter confirms, Escape cancels.").arg(MaxLength));
    // The diver types at once: whatever is typed must not go to the Enter button.
    ui->Edit->setFocus();
    if (QWidget* main = Form1 ? static_cast<QWidget*>(Form1) : owner)
        move(main->pos() + QPoint(200, 140));
}

TPersonalEditForm::~TPersonalEditForm() = default;

void TPersonalEditForm::SetText(const std::string& text)
{
    StartText = text;
    // Shown whole even when longer than the edit would let anyone type. (Setting a
    // maximum below the text's length would cut the text.)
    const QString shown = QString::fromStdWString(AnsiText::ToWide(text));
    ui->Edit->setMaxLength(std::max<int>(MaxLength, int(shown.size())));
    ui->Edit->setText(shown);
}

std::string TPersonalEditForm::GetText() const
{
    return AnsiText::FromWide(ui->Edit->text().left(MaxLength).toStdWString());
}

bool TPersonalEditForm::returnrequested() const
{
    return AnsiText::FromWide(ui->Edit->text().toStdWString()) != StartText;
}

void TPersonalEditForm::OKButtonClick()
{
    done(returnrequested() ? ResultOK : ResultCancel);
}

void TPersonalEditForm::CancelButtonClick()
{
    done(ResultCancel);
}

bool TPersonalEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Edit && event->type() == QEvent::FocusIn) {
        // The dialog hands its first focus over as if by Tab, which would select the whole
        // text for the next key to replace: the cursor waits at its end instead.
        ui->Edit->event(event);
        ui->Edit->deselect();
        ui->Edit->end(false);
        return true;
    }
    if (watched == ui->Edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OKButtonClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPersonalEditForm::keyPressEvent(QKeyEvent* event)
{
    // Escape cancels as the Cancel button does, with its result.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        CancelButtonClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
