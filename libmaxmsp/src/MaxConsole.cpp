#include "MaxConsole.h"

#include "common/QevException.h"

#include <algorithm>
#include <exception>
#include <new>

namespace maxmsp
{

namespace
{

constexpr unsigned long largestWholeLine = 2047;
constexpr unsigned long pieceSize = 2000;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The cut at or just before end that does not fall inside a UTF-8 character; a UTF-8
// character has at most three continuation bytes, so invalid text moves the cut no further.
unsigned long characterBoundary(qev::String const& text, unsigned long start, unsigned long end)
{
    for (int back = 0; back < 3 && end > start + 1 && end < text.GetLength() && isContinuationByte(text[end]);
         ++back)
        --end;
    return end;
}

void postErrorLine(object* owner, char const* text, bool trailingBlank)
{
    if (trailingBlank)
        object_error(owner, "%s ", text);
    else
        object_error(owner, "%s", text);
}

// Error lines of the owner, split when too long.
void postErrorLines(object* owner, qev::String const& text, bool trailingBlank)
{
    if (text.GetLength() <= largestWholeLine)
    {
        postErrorLine(owner, text.GetCString(), trailingBlank);
        return;
    }
    qev::StringArray const pieces = Console::splitInChunks(text);
    for (unsigned long i = 0; i < pieces.GetSize(); ++i)
        postErrorLine(owner, pieces[i].GetCString(), trailingBlank);
}

} // namespace

void Console::postError(object* owner, qev::String const& text)
{
    postErrorLines(owner, text, true);
}

qev::StringArray Console::splitInChunks(qev::String const& text)
{
    qev::StringArray pieces;
    unsigned long const length = text.GetLength();
    if (length < pieceSize)
        return pieces;
    unsigned long start = 0;
    for (;;)
    {
        unsigned long const end = characterBoundary(text, start, std::min(start + pieceSize, length));
        qev::String piece;
        if (start > 0)
            piece = " ... ";
        piece += text.SubString(start, end);
        if (end < length)
            piece += " ...";
        pieces.PushBack(piece);
        if (end >= length)
            break;
        start = end;
    }
    return pieces;
}

void post_error_message(object* owner, AtomArrayRef const& atoms, qev::String const& text)
{
    qev::String message = text + " ";
    if (!atoms.IsEmpty())
        message += atoms.ToString();
    postErrorLines(owner, message, false);
}

void post_error_message(object* owner, unsigned long count, atom* atoms, qev::String const& text)
{
    post_error_message(owner, AtomArrayRef(static_cast<long>(count), atoms), text);
}

qev::String GetCurrentExceptionText()
{
    std::exception_ptr const current = std::current_exception();
    if (!current)
        return "unknown exception";
    try
    {
        std::rethrow_exception(current);
    }
    catch (qev::Exception const& e)
    {
        return e.what();
    }
    catch (std::bad_alloc const& e)
    {
        return qev::String("out of memory : ") + e.what();
    }
    catch (...)
    {
        return "unknown exception";
    }
}

} // namespace maxmsp
