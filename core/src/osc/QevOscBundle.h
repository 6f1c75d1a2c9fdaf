#pragma once

#include "memory/QevScopedPointer.h"
#include "memory/QevVector.h"
#include "osc/QevOscAddress.h"
#include "osc/QevOscMessage.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"
#include "utils/QevColorRGBA.h"

#include <cstdint>

namespace qev
{

class File;
enum class Overwrite : std::uint8_t;

// An ordered list of elements, each one OSC message or one nested bundle, and an OSC time tag.
// A plain value: it owns everything it holds, and copies are deep to any depth.
class OscBundle
{
public:
    // The time tag that means "immediately"; every bundle the system makes carries it.
    static constexpr std::uint64_t immediately = 1;

    // Exactly one of message and nested bundle is held.
    class Element
    {
    public:
        explicit Element(OscMessage const& message);
        explicit Element(OscMessage&& message);
        explicit Element(OscBundle const& bundle);
        explicit Element(OscBundle&& bundle);

        Element(Element const& other);
        Element(Element&& other) noexcept;
        Element& operator=(Element const& other);
        Element& operator=(Element&& other) noexcept;
        ~Element();

        // Null when the element holds a nested bundle.
        OscMessage const* GetMessage() const noexcept { return message.Get(); }
        OscMessage* GetMessage() noexcept { return message.Get(); }
        // Null when the element holds a message.
        OscBundle const* GetBundle() const noexcept { return bundle.Get(); }
        OscBundle* GetBundle() noexcept { return bundle.Get(); }

    private:
        ScopedPointer<OscMessage> message;
        ScopedPointer<OscBundle> bundle;
    };

    // No elements, time tag 1.
    OscBundle() noexcept = default;
    // One element holding a copy of the message, time tag 1.
    explicit OscBundle(OscMessage const& message);
    explicit OscBundle(OscMessage&& message);

    OscBundle(OscBundle const& other) = default;
    OscBundle(OscBundle&& other) noexcept = default;
    OscBundle& operator=(OscBundle const& other) = default;
    OscBundle& operator=(OscBundle&& other) noexcept = default;
    ~OscBundle();

    // A bundle whose only element is an empty nested bundle is not empty.
    bool IsEmpty() const noexcept { return elements.IsEmpty(); }
    unsigned long GetNumElements() const noexcept { return elements.GetSize(); }
    // i must be below GetNumElements(); there is no bounds test.
    Element const& operator[](unsigned long i) const noexcept { return elements[i]; }
    Element& operator[](unsigned long i) noexcept { return elements[i]; }
    Element const* begin() const noexcept { return elements.begin(); }
    Element const* end() const noexcept { return elements.end(); }

    std::uint64_t GetTimeTag() const noexcept { return timeTag; }
    void SetTimeTag(std::uint64_t newTimeTag) noexcept { timeTag = newTimeTag; }

    // Deletes every element, last first; the time tag stays.
    void Clear() noexcept { elements.Clear(); }
    // Room for n elements in all.
    void Reserve(unsigned long n);

    // Appends one element holding a copy of the message (the message itself when moved in).
    void Add(OscMessage const& message);
    void Add(OscMessage&& message);
    // Appends one element holding a copy of the bundle, nested as it is.
    void AddNestedBundle(OscBundle const& bundle);
    void AddNestedBundle(OscBundle&& bundle);
    void AddElement(Element const& element);
    void AddElement(Element&& element);

    // Each appends one message made of the address and one value ('s', 'T'/'F', 'f', or four 'f'
    // for a colour). A text address comes from the process-wide address cache, so it is parsed
    // once per process; an invalid address text throws and appends nothing. A second message
    // with the same address is appended too: nothing is replaced.
    void AddNewMessage(char const* address, String const& text);
    void AddNewMessage(char const* address, bool value);
    void AddNewMessage(String const& address, float value);
    void AddNewMessage(char const* address, ColorRGBA const& colour);
    void AddNewMessage(OscAddressPattern const& pattern, float value);
    void AddNewMessage(OscAddressPattern const& pattern, String const& text);
    void AddNewMessage(OscAddressPattern const& pattern, bool value);
    // The same for a few more argument forms, so that a literal never turns into a bool.
    void AddNewMessage(char const* address, float value);
    void AddNewMessage(char const* address, char const* text);
    void AddNewMessage(OscAddressPattern const& pattern, char const* text);
    void AddNewMessage(OscAddress const& address, float value);

    // Appends copies of every message of other, nested ones included (depth first), as plain
    // elements. This bundle's time tag stays; other's are dropped.
    void AddFlattening(OscBundle const& other);
    // The same messages without nesting: a copy when nothing is nested, else a new bundle with
    // time tag 1.
    OscBundle Flattened() const;
    bool HasNestedBundle() const noexcept;

    // Puts the address in front of the pattern of every message, nested ones included.
    void PrependPattern(OscAddress const& address);

    // One entry per element: a message's one-line text, or a nested bundle's lines joined by a
    // line feed. The time tag is never shown.
    StringArray ToStringArray() const;
    // The entries joined by the separator (between entries, not after the last).
    String ToString(String const& separator) const;
    // Puts ToString(separator) on the system clipboard, also when it is empty.
    void CopyToClipboard(String const& separator) const;

    // The bundle held in one binary OSC packet (a lone message gives a bundle of that message).
    // Throws qev::Exception "OSC input stream..." for a malformed packet. Defined with the binary
    // input stream.
    static OscBundle CreateFromData(char const* data, unsigned long size);

    // Preset files. Each writer puts the whole content in a temporary sibling, checks every
    // write and the close, and only then applies the overwrite policy (TemporaryFile::ReplaceTarget,
    // which throws for a folder or a refused replacement) and renames the sibling into place.
    // False on any failure, with the old file left as it was.
    //
    // ToString(separator), without a trailing separator; ".txt" is appended to a name without
    // extension.
    bool SaveAsTextFile(File const& file, Overwrite const& overwrite, String const& separator) const;
    // "<i>, <message>;" and a line feed per message, i counting from 1; nested bundles are
    // flattened first.
    bool SaveAsCollFile(File const& file, Overwrite const& overwrite) const;
    // One binary OSC packet; false, writing nothing, when the wire cannot carry the bundle.
    bool SaveAsBinaryFile(File const& file, Overwrite const& overwrite) const;

    // One message per line (a line ends at a line feed or a carriage return). Blank lines are
    // skipped and one trailing ',' or ';' is dropped. Throws exceptions::UnsupportedFile when
    // the file cannot be opened, and the parse error of the first line that is not a message.
    static OscBundle CreateFromTextFile(File const& file);
    // As the text form, each line read from after its first ','; a line without one is skipped.
    // The numbers in front are ignored: messages come in file order.
    static OscBundle CreateFromCollFile(File const& file);

    // Same time tag and equal elements, nesting included.
    bool operator==(OscBundle const& other) const noexcept;
    bool operator!=(OscBundle const& other) const noexcept { return !(*this == other); }

private:
    template <typename Value> void addNewMessage(OscAddressPattern const& pattern, Value const& value);
    template <typename Value> void addNewMessage(OscAddress const& address, Value const& value);
    // Applies operation to every message, nested ones included, in element order.
    template <typename Operation> void callMethodForEach(Operation&& operation);
    void appendText(std::string& out, String const& separator) const;

    Vector<Element> elements;
    std::uint64_t timeTag = immediately;
};

} // namespace qev
