// Loaded into a Qt program by QT_QPA_GENERIC_PLUGINS=tidewellfirstpaint: when the program's
// main window has been painted for the first time, writes CLOCK_MONOTONIC in nanoseconds
// as one line to standard output and ends the process at once.
#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QWidget>

#include <unistd.h>
#include <cstdio>
#include <ctime>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window()->inherits("QMainWindow")) {
            seen_ = true;
            // After the whole frame has been painted and flushed.
            QMetaObject::invokeMethod(this, &FirstPaint::Report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void Report()
    {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        ::_exit(0);
    }

    bool seen_ = false;
};

}  // namespace

class FirstPaintProbe : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "FirstPaintProbe.json")

public:
    QObject* create(const QString&, const QString&) override
    {
        auto* probe = new FirstPaint;
        QCoreApplication::instance()->installEventFilter(probe);
        return probe;
    }
};

#include "FirstPaintProbe.moc"
