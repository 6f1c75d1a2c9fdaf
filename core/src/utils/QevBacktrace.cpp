#include "utils/QevBacktrace.h"

#include "text/QevStringArray.h"
#include "utils/QevDemangling.h"

#include <climits>
#include <cstdlib>
#include <execinfo.h>
#include <vector>

namespace qev
{

namespace
{
// A line cut around its symbol: before + symbol + after gives the line back.
struct SymbolLine
{
    String before;
    String symbol;
    String after;
};

// "image(symbol+0x1c) [0xaddress]", "image(+0x1c) [0xaddress]", "image() [0xaddress]" or
// "[0xaddress]". The image path may hold blanks and parentheses; a symbol holds neither.
bool parseParenthesisedLine(String const& line, SymbolLine& parts)
{
    if (!line.EndsWith(']'))
        return false;
    std::int64_t const address = line.IndexOfLastOccurence('[', Case::Sensitive);
    if (address == 0)
    {
        parts = SymbolLine{line, String(), String()};
        return true;
    }
    if (address < 2 || line[static_cast<unsigned long>(address - 1)] != ' ' ||
        line[static_cast<unsigned long>(address - 2)] != ')')
        return false;
    auto const close = static_cast<unsigned long>(address - 2);
    std::int64_t const open = line.SubString(0, close).IndexOfLastOccurence('(', Case::Sensitive);
    if (open < 0)
        return false;
    auto const symbolStart = static_cast<unsigned long>(open) + 1;

    // The offset is the last "+0x..." or "-0x..." inside the parentheses.
    unsigned long symbolEnd = close;
    for (unsigned long i = close; i > symbolStart; --i)
    {
        char const sign = line[i - 1];
        if ((sign == '+' || sign == '-') && line.SubString(i, i + 2) == "0x")
        {
            symbolEnd = i - 1;
            break;
        }
    }
    parts = SymbolLine{line.SubString(0, symbolStart), line.SubString(symbolStart, symbolEnd),
                       line.SubString(symbolEnd)};
    return true;
}

// "index image address symbol + offset", fields separated by runs of blanks.
bool parseSixFieldLine(String const& line, StringArray& fields)
{
    String collapsed = line;
    while (collapsed.Contains(String("  ")))
        collapsed.Replace(String("  "), String(" "));
    fields = StringArray::SplitString(collapsed, ' ', false);
    return fields.GetSize() == 6;
}

String readableSymbol(String const& symbol)
{
    if (symbol == "main" || symbol == "start")
        return symbol + "()";
    return Demangling::Demangle(symbol);
}
} // namespace

String Backtrace::getFunctionNameFromBacktraceSymbol(String const& line)
{
    if (line.IsEmpty())
        return String();
    SymbolLine parts;
    if (parseParenthesisedLine(line, parts))
        return parts.symbol.IsEmpty() ? String() : readableSymbol(parts.symbol);
    StringArray fields;
    if (parseSixFieldLine(line, fields))
        return readableSymbol(fields[3]);
    return String();
}

String Backtrace::demangleBacktraceSymbol(String const& line)
{
    if (line.IsEmpty())
        return String();
    SymbolLine parts;
    if (parseParenthesisedLine(line, parts))
        return parts.symbol.IsEmpty() ? line : parts.before + readableSymbol(parts.symbol) + parts.after;
    StringArray fields;
    if (parseSixFieldLine(line, fields))
    {
        fields[3] = readableSymbol(fields[3]);
        return fields.Flattened(String(" "));
    }
    return String();
}

String Backtrace::describeFrame(String const& line, bool namesOnly)
{
    if (line.Contains(String("???")))
        return String("???");
    return namesOnly ? getFunctionNameFromBacktraceSymbol(line) : demangleBacktraceSymbol(line);
}

__attribute__((noinline)) StringArray Backtrace::GetStack(unsigned int frameCount, bool namesOnly)
{
    StringArray stack;
    if (frameCount == 0)
        return stack;

    // A few frames more than asked: a sanitizer's interception of the capture can put its own
    // frames in front of ours.
    constexpr unsigned int spareFrames = 8;
    unsigned int const wanted =
        (frameCount > INT_MAX - spareFrames ? INT_MAX - spareFrames : frameCount) + spareFrames;

    // Small requests, the usual ones, keep the addresses on the stack.
    void* stackFrames[64];
    std::vector<void*> heapFrames;
    void** frames = stackFrames;
    if (wanted > sizeof(stackFrames) / sizeof(stackFrames[0]))
    {
        heapFrames.resize(wanted);
        frames = heapFrames.data();
    }
    int const captured = backtrace(frames, static_cast<int>(wanted));

    // Our own frame is the one just before the return address into our caller.
    int first = 0;
    void* const returnAddress = __builtin_return_address(0);
    for (int i = 1; i < captured && i <= static_cast<int>(spareFrames) + 1; ++i)
        if (frames[i] == returnAddress)
        {
            first = i - 1;
            break;
        }
    int const count =
        captured - first < static_cast<int>(frameCount) ? captured - first : static_cast<int>(frameCount);
    if (count <= 0)
        return stack;

    char** const lines = backtrace_symbols(frames + first, count);
    if (lines == nullptr)
        return stack;
    try
    {
        for (int i = 0; i < count; ++i)
            stack.PushBack(describeFrame(String(lines[i]), namesOnly));
    }
    catch (...)
    {
        std::free(lines);
        throw;
    }
    std::free(lines);
    return stack;
}

__attribute__((noinline)) String Backtrace::GetCallerFunctionName() noexcept
{
    // Entry 0 is GetStack, 1 this function, 2 the function asking, 3 the one that called it.
    // Callers report allocation failures with this name, so a failure here must not escape.
    try
    {
        StringArray const stack = GetStack(4, true);
        if (stack.GetSize() < 4)
            return String();
        return stack[3];
    }
    catch (...)
    {
        return String();
    }
}

} // namespace qev
