#include "platform/AboutForm.h"

#include "platform/ApplicationIcon.h"
#include "platform/VersionInformation.h"
#include "ui_AboutForm.h"

#include <QDesktopServices>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPixmap>
#include <QRegularExpression>
#include <QUrl>

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

// Follows a link label's one link on Enter or Space. A label lets Tab first land on itself
// and only a second Tab on its link, so Enter alone would not reach the link.
class LinkKeys : public QObject {
public:
    explicit LinkKeys(QLabel* link) : QObject(link)
    {
        const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
        url_ = QUrl(href.match(link->text()).captured(1));
        link->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                QDesktopServices::openUrl(url_);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QUrl url_;
};

// Links in the highlight colour rather than the usual link blue, reached with Tab and
// followed with Enter as well as with the mouse; a dotted frame shows the one in focus.
void MakeLink(QLabel* link, const QString& name)
{
    QPalette palette = link->palette();
    palette.setColor(QPalette::Link, palette.color(QPalette::Highlight));
    link->setPalette(palette);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setFocusPolicy(Qt::StrongFocus);
    link->setAccessibleName(name);
    link->setStyleSheet(QStringLiteral("QLabel:focus { border: 1px dotted palette(text); }"));
    new LinkKeys(link);
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
    MakeLink(ui->MailLink, tr("Report bugs to Hallvex Support by mail"));
    MakeLink(ui->WebLink, tr("Tidewell web site"));
    setTabOrder(ui->MailLink, ui->WebLink);
    setTabOrder(ui->WebLink, ui->Button2);
    ui->Button2->setFocus();

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
