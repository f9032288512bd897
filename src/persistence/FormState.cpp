#include "persistence/FormState.h"

#include "persistence/PreferencesStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("FormState");

bool Sizeable(const QWidget& window)
{
    return window.minimumSize() != window.maximumSize();
}

qint64 Area(const QRect& rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

// The least start that keeps [start, start + length) inside [low, low + room).
int Clamp(int start, int length, int low, int room)
{
    return std::clamp(start, low, low + room - length);
}

}  // namespace

QRect PlaceOnScreens(const QRect& saved, const QList<QRect>& screens, const QMargins& frame)
{
    if (screens.isEmpty())
        return saved;
    const QRect framed = saved.marginsAdded(frame);
    const QRect* target = &screens.front();
    qint64 most = 0;
    for (const QRect& screen : screens) {
        const qint64 overlap = Area(framed.intersected(screen));
        if (overlap > most) {
            most = overlap;
            target = &screen;
        }
    }
    const QSize size = framed.size().boundedTo(target->size());
    const QRect placed(QPoint(Clamp(framed.x(), size.width(), target->x(), target->width()),
                              Clamp(framed.y(), size.height(), target->y(), target->height())),
                       size);
    return placed.marginsRemoved(frame);
}

CStdStr SaveFormState(PreferencesStore& store, const QWidget& window)
{
    const QRect normal = window.normalGeometry();
    store.WriteBool(Section, QStringLiteral("Maximized"), window.isMaximized());
    store.WriteInteger(Section, QStringLiteral("Left"), normal.left());
    store.WriteInteger(Section, QStringLiteral("Top"), normal.top());
    if (Sizeable(window)) {
        store.WriteInteger(Section, QStringLiteral("Right"), normal.left() + normal.width());
        store.WriteInteger(Section, QStringLiteral("Bottom"), normal.top() + normal.height());
    }
    store.WriteBool(Section, QStringLiteral("Saved"), true);
    return store.Flush();
}

void RestoreFormState(const PreferencesStore& store, QWidget& window)
{
    const QRect current = window.normalGeometry();
    QPoint corner(store.ReadInteger(Section, QStringLiteral("Left"), current.left()),
                  store.ReadInteger(Section, QStringLiteral("Top"), current.top()));
    QSize size = current.size();
    if (Sizeable(window)) {
        const int right =
            store.ReadInteger(Section, QStringLiteral("Right"), corner.x() + current.width());
        const int bottom =
            store.ReadInteger(Section, QStringLiteral("Bottom"), corner.y() + current.height());
        size = QSize(right - corner.x(), bottom - corner.y());
    }
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    // The frame as the window system draws it, once the window exists; none before.
    const QRect inner = window.geometry();
    const QRect outer = window.frameGeometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    window.setGeometry(PlaceOnScreens(QRect(corner, size), screens, frame));
    if (store.ReadBool(Section, QStringLiteral("Maximized"), false)) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
}
