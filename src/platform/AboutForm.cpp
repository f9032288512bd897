#include "platform/AboutForm.h"

#include "platform/ApplicationIcon.h"
#include "platform/VersionInformation.h"
#include "ui_AboutForm.h"

#include <QFontInfo>
#include <QPixmap>

namespace {

// The layout is made for Tahoma. A face standing in for it where it is missing is wider
// (DejaVu Sans by about a tenth), so it is set a tenth smaller to keep each text in place.
QFont Tahoma(int pixels, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    if (QFontInfo(font).family() != font.family())
        font.setPixelSize((pixels * 9 + 5) / 10);
    return font;
}

// Links in the highlight colour rather than the usual link blue.
void HighlightLink(QLabel* link)
{
    QPalette palette = link->palette();
    palette.setColor(QPalette::Link, palette.color(QPalette::Highlight));
    link->setPalette(palette);
}

}  // namespace

TAboutForm::TAboutForm(const VersionInformation& info, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TAboutForm>())
{
    ui->setupUi(this);
    setWindowIcon(ApplicationIcon());
    setFont(Tahoma(11, false));
    ui->TitleLabel->setFont(Tahoma(19, true));
    ui->WebLink->setFont(Tahoma(16, true));
    HighlightLink(ui->MailLink);
    HighlightLink(ui->WebLink);

    const QPixmap picture(QStringLiteral(":/about/product.png"));
    ui->ProductImage->setPixmap(
        picture.scaled(ui->ProductImage->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));

    const CStdStr version = info.Valid() ? info.Value(L"ProductVersion") : L"Unknown";
    ui->Label4->setText(QStringLiteral("Version: ") + QString::fromStdWString(version));

    connect(ui->Button2, &QPushButton::clicked, this, &TAboutForm::Button2Click);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::showEvent(QShowEvent* event)
{
    if (parentWidget() != nullptr)
        move(parentWidget()->pos() + QPoint(70, 105));
    QDialog::showEvent(event);
}

void TAboutForm::Button2Click()
{
    accept();
}
