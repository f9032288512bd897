#include "persistence/FormState.h"

#include "persistence/PreferencesStore.h"

#include <QGuiApplication>
#include <QRect>
#include <QWidget>

namespace {

const QString Section = QStringLiteral("FormState");

bool Sizeable(const QWidget& window)
{
    return window.minimumSize() != window.maximumSize();
}

}  // namespace

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
    if (QGuiApplication::screenAt(corner) == nullptr)
        corner = QPoint(0, 0);
    window.setGeometry(QRect(corner, size));
    if (store.ReadBool(Section, QStringLiteral("Maximized"), false)) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
}
