#pragma once

#include "common/QevException.h"

namespace qev
{

class File;

namespace exceptions
{

// Raised where something was thrown that is not a standard exception.
class Unknown : public Exception
{
public:
    explicit Unknown(SourceLineInfo const& where);
    ~Unknown() override;
};

class NoSuchFile : public Exception
{
public:
    NoSuchFile(String const& path, SourceLineInfo const& where);
    NoSuchFile(File const& file, SourceLineInfo const& where);
    ~NoSuchFile() override;
};

class UnsupportedFile : public Exception
{
public:
    UnsupportedFile(String const& path, SourceLineInfo const& where);
    UnsupportedFile(File const& file, SourceLineInfo const& where);
    ~UnsupportedFile() override;
};

// Reported as a warning rather than an error by those who catch it.
class ExceptionalWarning : public Exception
{
public:
    ExceptionalWarning(String const& message, SourceLineInfo const& where);
    ~ExceptionalWarning() override;
};

} // namespace exceptions
} // namespace qev
