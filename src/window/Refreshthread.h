#pragma once
// The refresh worker: while "Keep Connection Open" is on, it reads one byte of the dive
// computer's memory whenever the keep-alive timer asks, on a thread of its own, and
// tells the window when it is done.

#include <boost/shared_ptr.hpp>

class TForm1;

class TRefreshThread {
public:
    TRefreshThread();
    // Stops the worker and waits for it to leave its loop: it never reaches a window
    // that is gone.
    ~TRefreshThread();
    TRefreshThread(const TRefreshThread&) = delete;
    TRefreshThread& operator=(const TRefreshThread&) = delete;

    // Starts the worker on a detached thread; it reports to `window`.
    void Start(TForm1* window);

    struct Link;

private:
    static void Run(boost::shared_ptr<Link> link);
    static void SendRefreshDone(const boost::shared_ptr<Link>& link);

    boost::shared_ptr<Link> link;
};
