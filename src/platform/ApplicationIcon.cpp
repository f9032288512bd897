#include "platform/ApplicationIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QSize>
#include <QString>

namespace {

constexpr int kSizes[] = {16, 32, 48, 64};

// Decodes the pictures only when something first asks for one: a window that names its
// icon at start, on a platform that shows none, or shows it later, pays nothing for it then.
class ResourceIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Loaded().pixmap(size, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Loaded().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int size : kSizes)
            sizes << QSize(size, size);
        return sizes;
    }
    QIconEngine* clone() const override { return new ResourceIconEngine; }

private:
    const QIcon& Loaded()
    {
        if (icon_.isNull())
            for (const int size : kSizes)
                icon_.addFile(QStringLiteral(":/icon/%1.png").arg(size), QSize(size, size));
        return icon_;
    }

    QIcon icon_;
};

}  // namespace

QIcon ApplicationIcon()
{
    return QIcon(new ResourceIconEngine);
}
