#include "window/StatusAnnouncer.h"

#include <QRegularExpression>
#include <QString>
#include <QWidget>

bool IsFailureStatus(const QString& text)
{
    // The words with which the device layer and the window report what went wrong.
    const QRegularExpression failure(
        QStringLiteral("\\b(fail\\w*|error\\w*|not open|incompatible|cancel\\w*|can't|"
                       "cannot|could not|timed? ?out|refused)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return failure.match(text).hasMatch();
}

void AnnounceStatus(QWidget* pane, const QString& text, void (*send)(QAccessibleEvent*))
{
    QAccessibleEvent changed(pane, QAccessible::NameChanged);
    send(&changed);
    if (IsFailureStatus(text)) {
        QAccessibleEvent alert(pane, QAccessible::Alert);
        send(&alert);
    }
}
