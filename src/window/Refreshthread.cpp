#include "window/Refreshthread.h"

#include <chrono>
#include <future>
#include <memory>

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>

#include <boost/make_shared.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/thread.hpp>

#include "device/Device_Type1_Control.h"
#include "window/Externals.h"
#include "window/Main.h"

namespace {
constexpr auto kPollInterval = boost::chrono::milliseconds(500);
constexpr auto kStopWait = boost::chrono::seconds(10);
constexpr std::uint32_t kKeepAliveAddress = 0x24;  // the model code; its value is not used
}  // namespace

// What the window and its worker share; the worker keeps it alive for itself.
struct TRefreshThread::Link {
    boost::mutex mutex;
    boost::condition_variable changed;
    TForm1* window = nullptr;  // null once the window is going
    bool stop = false;
    bool running = false;
};

TRefreshThread::TRefreshThread() : link(boost::make_shared<Link>())
{
}

TRefreshThread::~TRefreshThread()
{
    TForm1* window;
    {
        boost::mutex::scoped_lock lock(link->mutex);
        window = link->window;
        link->window = nullptr;
        link->stop = true;
        link->changed.notify_all();
    }
    // A done message still waiting for the window is dropped; the worker waiting for it
    // then goes on.
    if (window)
        QCoreApplication::removePostedEvents(window, QEvent::MetaCall);
    boost::mutex::scoped_lock lock(link->mutex);
    link->changed.wait_for(lock, kStopWait, [this] { return !link->running; });
}

void TRefreshThread::Start(TForm1* window)
{
    {
        boost::mutex::scoped_lock lock(link->mutex);
        link->window = window;
        link->running = true;
    }
    boost::thread worker([l = link] { Run(l); });
    worker.detach();
}

void TRefreshThread::Run(boost::shared_ptr<Link> link)
{
    for (;;) {
        {
            boost::mutex::scoped_lock lock(link->mutex);
            if (link->changed.wait_for(lock, kPollInterval, [&] { return link->stop; }))
                break;
        }
        bool requested;
        {
            boost::mutex::scoped_lock lock(RequestLock);
            requested = RefreshRequested;
        }
        if (!requested)
            continue;
        {
            // While the main thread has the controller the request waits for it.
            boost::mutex::scoped_lock lock(BusyLock);
            if (DeviceBusy)
                continue;
            RefreshRunning = true;
        }
        {
            boost::mutex::scoped_lock lock(RequestLock);
            RefreshRequested = false;
        }
        if (CurrentDevice) {
            try {
                CurrentDevice->ReadByte(kKeepAliveAddress, false);
            } catch (...) {
                // A keep-alive that fails leaves no trace; the next tick tries again.
            }
        }
        {
            boost::mutex::scoped_lock lock(BusyLock);
            RefreshRunning = false;
        }
        SendRefreshDone(link);
    }
    boost::mutex::scoped_lock lock(link->mutex);
    link->running = false;
    link->changed.notify_all();
}

void TRefreshThread::SendRefreshDone(const boost::shared_ptr<Link>& link)
{
    // Only the message holds the promise: destroyed unhandled, it breaks the promise.
    auto handled = std::make_shared<std::promise<void>>();
    std::future<void> done = handled->get_future();
    {
        boost::mutex::scoped_lock lock(link->mutex);
        if (!link->window)
            return;
        TForm1* window = link->window;
        // Posted while the window cannot go away; if it goes before handling the
        // message, the message is destroyed unhandled and the promise with it.
        QMetaObject::invokeMethod(
            window,
            [window, handled = std::move(handled)] {
                window->RefreshDoneMessage();
                handled->set_value();
            },
            Qt::QueuedConnection);
    }
    done.wait();
}
