// The preset file forms of a bundle: one message per line (".txt"), the host's coll text
// (".coll") and one binary OSC packet (".osc").

#include "common/QevExceptions.h"
#include "files/QevFile.h"
#include "files/QevTemporaryFile.h"
#include "files/QevTextFileReader.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscOutputStream.h"

#include <string>

namespace qev
{

namespace
{

// The whole content goes to a fresh sibling first and is checked there, write and close; only a
// complete file is allowed to displace the old one, so a full disk or an I/O error costs the
// user nothing but the failed save.
bool saveSafely(File const& target, Overwrite const& overwrite, char const* data, unsigned long size)
{
    TemporaryFile const temporary(target, 0);
    temporary.RefuseEarly(overwrite);
    try
    {
        if (!temporary.Write(data, size))
            return false;
    }
    catch (Exception const&)
    {
        // The folder could not be made or the sibling not opened: the save did not happen.
        return false;
    }
    return temporary.ReplaceTarget(overwrite);
}

bool saveSafely(File const& target, Overwrite const& overwrite, std::string const& content)
{
    return saveSafely(target, overwrite, content.data(), content.size());
}

// Blank lines are skipped and one ',' or ';' ending a line is dropped, so that hand-written and
// coll-style lines read alike. A line that is left blank gives nothing.
bool cleanLine(String& line)
{
    line.RemoveTrailingSpaces();
    if (line.EndsWith(',') || line.EndsWith(';'))
        line.RemoveLastCharacter();
    return line.ContainsNonWhitespaceCharacters();
}

template <typename LineToMessageText>
OscBundle readMessageLines(File const& file, int sourceLine, LineToMessageText&& messageText)
{
    TextFileReader reader;
    if (!reader.Open(file))
        throw exceptions::UnsupportedFile(file, SourceLineInfo("QevOscBundle", sourceLine));

    // The whole file is parsed before the bundle is handed out: one bad line applies nothing.
    OscBundle bundle;
    while (!reader.IsExhausted())
    {
        String line = reader.GetNextLine(true);
        if (!cleanLine(line))
            continue;
        String const text = messageText(line);
        if (text.ContainsNonWhitespaceCharacters())
            bundle.Add(OscMessage::CreateFromText(text));
    }
    return bundle;
}

} // namespace

bool OscBundle::SaveAsTextFile(File const& file, Overwrite const& overwrite, String const& separator) const
{
    File target(file);
    if (!target.HasAnExtension())
        target.AppendExtension(String(".txt"));
    return saveSafely(target, overwrite, ToString(separator).GetStdString());
}

bool OscBundle::SaveAsCollFile(File const& file, Overwrite const& overwrite) const
{
    // Coll has no nesting: every message becomes one numbered line.
    if (HasNestedBundle())
        return Flattened().SaveAsCollFile(file, overwrite);

    std::string content;
    unsigned long index = 0;
    for (auto const& element : *this)
    {
        auto const* message = element.GetMessage();
        if (message == nullptr)
            continue;
        content += std::to_string(++index);
        content += ", ";
        message->AppendText(content);
        content += ";\n";
    }
    return saveSafely(file, overwrite, content);
}

bool OscBundle::SaveAsBinaryFile(File const& file, Overwrite const& overwrite) const
{
    OscOutputStream stream;
    if (!stream.WriteBundle(*this))
        return false;
    return saveSafely(file, overwrite, stream.GetData(), stream.GetDataSize());
}

OscBundle OscBundle::CreateFromTextFile(File const& file)
{
    return readMessageLines(file, 1478, [](String const& line) { return line; });
}

OscBundle OscBundle::CreateFromCollFile(File const& file)
{
    // The index in front of the first comma is not read: the lines' order decides.
    return readMessageLines(file, 1533,
                            [](String const& line)
                            { return line.FromFirstOccurrenceOf(',', false, Case::Sensitive); });
}

} // namespace qev
