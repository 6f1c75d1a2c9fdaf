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
        catch (std::bad_alloc const&)
        {
            throw Exception(String("out of memory"), SourceLineInfo(Backtrace::GetCallerFunctionName()), true,
                            false);
        }
        catch (std::exception const& e)
        {
            throw Exception(e, SourceLineInfo(Backtrace::GetCallerFunctionName()), true, false);
        }
        catch (...)
        {
            throw exceptions::Unknown(SourceLineInfo("QevAlloc", 77));
        }
    }

    template <typename T>
    __attribute__((noinline)) static void ReserveVector(std::vector<T>& v, unsigned long capacity)
    {
        try
        {
            v.reserve(capacity);
        }
        catch (std::bad_alloc const&)
        {
            throw Exception(String("out of memory"), SourceLineInfo(Backtrace::GetCallerFunctionName()), true,
                            false);
        }
        catch (std::exception const& e)
        {
            throw Exception(e, SourceLineInfo(Backtrace::GetCallerFunctionName()), true, false);
        }
        catch (...)
        {
            throw exceptions::Unknown(SourceLineInfo("QevAlloc", 148));
        }
    }

    Allocations() = delete;
};

} // namespace qev
