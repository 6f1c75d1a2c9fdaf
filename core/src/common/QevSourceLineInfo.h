#pragma once

#include "text/QevString.h"

namespace qev
{

// Where an exception was raised: a source file's name (or a function's name) and a line,
// 0 meaning none.
class SourceLineInfo
{
public:
    explicit SourceLineInfo(String const& file);
    // Keeps only the part of path after its last '/'.
    SourceLineInfo(char const* path, unsigned long line);

    // The quoted file name, then " (line N)" when the line is not 0.
    String ToString() const;

    String const& GetFile() const noexcept { return file; }
    unsigned long GetLine() const noexcept { return line; }

    // The part of a path after its last '/' (the whole path when it has none).
    static String FileNameOf(char const* path);

private:
    String file;
    unsigned long line = 0;
};

} // namespace qev
