#include "common/QevSourceLineInfo.h"

#include <cstring>

namespace qev
{

SourceLineInfo::SourceLineInfo(String const& file) : file(file) {}

SourceLineInfo::SourceLineInfo(char const* path, unsigned long line) : file(FileNameOf(path)), line(line) {}

String SourceLineInfo::FileNameOf(char const* path)
{
    if (path == nullptr)
        return String();
    char const* slash = std::strrchr(path, '/');
    return String(slash != nullptr ? slash + 1 : path);
}

String SourceLineInfo::ToString() const
{
    String text = file.Quoted('"');
    if (line != 0)
        text << " (line " << String(line) << ")";
    return text;
}

} // namespace qev
