#pragma once

#include <QString>

#include <pty.h>
#include <unistd.h>

// A pseudo-terminal such as tidewell-emulator plays its dive computer on.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0)
            path_ = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal()
    {
        if (!path_.isEmpty()) {
            ::close(slave_);
            ::close(master_);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const QString& path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};
