#pragma once
#include <boost/noncopyable.hpp>

#include "device/SerialOps.h"

namespace kAPI {

// Closes a port handle through the serial operations that opened it.
struct CCloseHandle {
    SerialOps* ops;
    void operator()(Handle h) const { ops->CloseHandle(h); }
};

// Owns one port handle: closes it once, on demand or when destroyed.
class CHandle : boost::noncopyable {
public:
    explicit CHandle(CCloseHandle closer) : closer_(closer) {}
    ~CHandle() { Close(); }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != InvalidHandle; }
    // Takes ownership of `h`, closing any handle held before.
    void reset(Handle h)
    {
        Close();
        handle_ = h;
    }
    void Close()
    {
        if (valid()) {
            Handle h = handle_;
            handle_ = InvalidHandle;
            closer_(h);
        }
    }

private:
    CCloseHandle closer_;
    Handle handle_ = InvalidHandle;
};

}  // namespace kAPI
