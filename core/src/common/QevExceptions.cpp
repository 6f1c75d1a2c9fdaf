#include "common/QevExceptions.h"

#include "files/QevFile.h"

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
NoSuchFile::NoSuchFile(File const& file, SourceLineInfo const& where)
    : NoSuchFile(file.GetFullPathName(), where)
{
}
NoSuchFile::~NoSuchFile() = default;

UnsupportedFile::UnsupportedFile(String const& path, SourceLineInfo const& where)
    : Exception(String("Could not open file ") + quotedPath(path) + ". Unsupported format?", where, true,
                false)
{
}
UnsupportedFile::UnsupportedFile(File const& file, SourceLineInfo const& where)
    : UnsupportedFile(file.GetFullPathName(), where)
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
