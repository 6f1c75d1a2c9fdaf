#pragma once

// What the tests of the stand-in host, of the wrapper and of the object share: a listener that keeps
// what the host reports as lines of text until a test takes them.

#include "HostProtocol.h"
#include "maxhost_control.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace hosttest
{

// Locked, because the host may report from threads of its own while a test takes the lines.
class LineCapture : public maxhost::Listener
{
public:
    void HostNote(char const* text) override { Add(std::string("host: ") + text); }

    std::vector<std::string> Take()
    {
        std::lock_guard<std::mutex> const guard(lock);
        std::vector<std::string> taken;
        taken.swap(lines);
        TookLines();
        return taken;
    }

protected:
    void Add(std::string line)
    {
        std::lock_guard<std::mutex> const guard(lock);
        lines.push_back(std::move(line));
    }

    // Called by Take with the lock held, so that whatever a listener keeps beside the lines goes
    // with them in one step.
    virtual void TookLines() {}

    mutable std::mutex lock;
    std::vector<std::string> lines;
};

inline std::string OutletPrefix(int index)
{
    return "outlet " + std::to_string(index) + ": ";
}

inline std::string ConsoleLine(bool isError, char const* text)
{
    return std::string(isError ? "error: " : "post: ") + text;
}

} // namespace hosttest
