#include "common/QevExceptions.h"

namespace qev
{
namespace exceptions
{

namespace
{
String quotedPath(String const& path)
{
    String quoted;
    quoted << '"' << path << '"';
    return quoted;
}
} // namespace

Unknown::Unknown(SourceLineInfo const& where) : Exception(String("Unknown exception"), where, true, false) {}
Unknown::~Unknown() = default;

NoSuchFile::NoSuchFile(String const& path, SourceLineInfo const& where)
    : Exception(String("Could not find file ") + quotedPath(path), where, true, false)
{
}
NoSuchFile::~NoSuchFile() = default;

UnsupportedFile::UnsupportedFile(String const& path, SourceLineInfo const& where)
    : Exception(String("Could not open file ") + quotedPath(path) + ". Unsupported format?", where, true,
                false)
{
}
UnsupportedFile::~UnsupportedFile() = default;

ExceptionalWarning::ExceptionalWarning(String const& message, SourceLineInfo const& where)
    : Exception(message, where, true, false)
{
}
ExceptionalWarning::~ExceptionalWarning() = default;

} // namespace exceptions
} // namespace qev
