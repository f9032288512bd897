#include "platform/ApplicationIcon.h"

#include <QSize>
#include <QString>

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icon/%1.png").arg(size), QSize(size, size));
    return icon;
}
