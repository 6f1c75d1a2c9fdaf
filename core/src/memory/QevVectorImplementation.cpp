#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "memory/QevVector.h"

#include <new>

namespace qev
{
namespace VectorImplementation
{

namespace
{
char const* const sourceName = "QevVectorImplementation";
}

void RethrowPushBackFailure()
{
    try
    {
        throw;
    }
    catch (std::bad_alloc const&)
    {
        throw Exception(String("out of memory"), SourceLineInfo(sourceName, 1571), true, false);
    }
    catch (std::exception const& e)
    {
        String message("exception ");
        message << e.what() << " occurred";
        throw Exception(message, SourceLineInfo(sourceName, 1575), true, false);
    }
    catch (...)
    {
        throw exceptions::Unknown(SourceLineInfo(sourceName, 1579));
    }
}

void RethrowInsertFailure()
{
    try
    {
        throw;
    }
    catch (std::exception const& e)
    {
        throw Exception(e, SourceLineInfo(sourceName, 1741), true, false);
    }
    catch (...)
    {
        throw exceptions::Unknown(SourceLineInfo(sourceName, 1745));
    }
}

void ThrowIndexOutOfRange()
{
    throw Exception(String("index out of range"), SourceLineInfo(sourceName, 0), true, false);
}

} // namespace VectorImplementation
} // namespace qev
