#pragma once

#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "memory/QevVector.h"
#include "utils/QevBacktrace.h"

#include <new>
#include <stdexcept>
#include <vector>

namespace qev
{

// Resizing and reserving with the library's failure translation. A failure is located at the
// function that asked for the resize (no source line), so these must stay out of line.
class Allocations
{
public:
    // Smaller drops the tail, larger appends value-initialised elements.
    template <typename T>
    __attribute__((noinline)) static void ResizeVector(std::vector<T>& v, unsigned long size)
    {
        if (v.size() == size)
            return;
        try
        {
            v.resize(size);
        }
        catch (...)
        {
            rethrowTranslated(Backtrace::GetCallerFunctionName(), 77);
        }
    }

    template <typename T>
    __attribute__((noinline)) static void ReserveVector(std::vector<T>& v, unsigned long capacity)
    {
        try
        {
            v.reserve(capacity);
        }
        catch (...)
        {
            rethrowTranslated(Backtrace::GetCallerFunctionName(), 148);
        }
    }

    Allocations() = delete;

private:
    // Must be called from inside a handler. The caller's name is taken by the functions above,
    // since only from their own frame does the back-trace reach the function that asked.
    [[noreturn]] static void rethrowTranslated(String const& caller, unsigned long unknownLine)
    {
        try
        {
            throw;
        }
        catch (std::bad_alloc const&)
        {
            throw Exception(String("out of memory"), SourceLineInfo(caller), true, false);
        }
        catch (std::exception const& e)
        {
            throw Exception(e, SourceLineInfo(caller), true, false);
        }
        catch (...)
        {
            throw exceptions::Unknown(SourceLineInfo("QevAlloc", unknownLine));
        }
    }
};

} // namespace qev
