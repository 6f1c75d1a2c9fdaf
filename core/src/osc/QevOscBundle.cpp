#include "osc/QevOscBundle.h"

#include "memory/QevAlloc.h"
#include "osc/QevOscAddressMap.h"
#include "utils/QevSystemClipboard.h"

#include <string>
#include <utility>

namespace qev
{

// --- Element -------------------------------------------------------------------------------

OscBundle::Element::Element(OscMessage const& source) : message(new OscMessage(source)) {}

OscBundle::Element::Element(OscMessage&& source) : message(new OscMessage(std::move(source))) {}

OscBundle::Element::Element(OscBundle const& source) : bundle(new OscBundle(source)) {}

OscBundle::Element::Element(OscBundle&& source) : bundle(new OscBundle(std::move(source))) {}

OscBundle::Element::Element(Element const& other)
{
    if (other.message)
        message = new OscMessage(*other.message);
    else if (other.bundle)
        bundle = new OscBundle(*other.bundle);
}

OscBundle::Element::Element(Element&& other) noexcept
    : message(std::move(other.message)), bundle(std::move(other.bundle))
{
}

OscBundle::Element& OscBundle::Element::operator=(Element const& other)
{
    if (this != &other)
    {
        Element copy(other);
        *this = std::move(copy);
    }
    return *this;
}

OscBundle::Element& OscBundle::Element::operator=(Element&& other) noexcept
{
    if (this != &other)
    {
        message = std::move(other.message);
        bundle = std::move(other.bundle);
    }
    return *this;
}

OscBundle::Element::~Element() = default;

// --- Bundle --------------------------------------------------------------------------------

OscBundle::OscBundle(OscMessage const& message)
{
    AddElement(Element(message));
}

OscBundle::OscBundle(OscMessage&& message)
{
    AddElement(Element(std::move(message)));
}

OscBundle::~OscBundle() = default;

void OscBundle::Reserve(unsigned long n)
{
    if (n > elements.GetCapacity())
        Allocations::ReserveVector(elements.GetStdVector(), n);
}

void OscBundle::AddElement(Element&& element)
{
    auto& items = elements.GetStdVector();
    if (items.size() < items.capacity())
    {
        items.push_back(std::move(element));
        return;
    }
    try
    {
        items.push_back(std::move(element));
    }
    catch (...)
    {
        VectorImplementation::RethrowPushBackFailure();
    }
}

void OscBundle::AddElement(Element const& element)
{
    AddElement(Element(element));
}

void OscBundle::Add(OscMessage const& message)
{
    AddElement(Element(message));
}

void OscBundle::Add(OscMessage&& message)
{
    AddElement(Element(std::move(message)));
}

void OscBundle::AddNestedBundle(OscBundle const& bundle)
{
    AddElement(Element(bundle));
}

void OscBundle::AddNestedBundle(OscBundle&& bundle)
{
    AddElement(Element(std::move(bundle)));
}

// --- Adding one-value messages -------------------------------------------------------------

namespace
{
template <typename Value> void addValue(OscMessage& message, Value const& value)
{
    message.Add(value);
}

void addValue(OscMessage& message, ColorRGBA const& colour)
{
    message.ReserveArguments(4);
    message.Add(colour);
}
} // namespace

template <typename Value> void OscBundle::addNewMessage(OscAddressPattern const& pattern, Value const& value)
{
    // The message is built in place inside its element: one message, no further copy.
    OscMessage message(pattern);
    addValue(message, value);
    AddElement(Element(std::move(message)));
}

template <typename Value> void OscBundle::addNewMessage(OscAddress const& address, Value const& value)
{
    OscMessage message(address);
    addValue(message, value);
    AddElement(Element(std::move(message)));
}

void OscBundle::AddNewMessage(char const* address, String const& text)
{
    addNewMessage(OscAddressMap::GetGlobalSymbols()[address], text);
}

void OscBundle::AddNewMessage(char const* address, bool value)
{
    addNewMessage(OscAddressMap::GetGlobalSymbols()[address], value);
}

void OscBundle::AddNewMessage(String const& address, float value)
{
    addNewMessage(OscAddressMap::GetGlobalSymbols()[address], value);
}

void OscBundle::AddNewMessage(char const* address, ColorRGBA const& colour)
{
    addNewMessage(OscAddressMap::GetGlobalSymbols()[address], colour);
}

void OscBundle::AddNewMessage(OscAddressPattern const& pattern, float value)
{
    addNewMessage(pattern, value);
}

void OscBundle::AddNewMessage(OscAddressPattern const& pattern, String const& text)
{
    addNewMessage(pattern, text);
}

void OscBundle::AddNewMessage(OscAddressPattern const& pattern, bool value)
{
    addNewMessage(pattern, value);
}

void OscBundle::AddNewMessage(char const* address, float value)
{
    addNewMessage(OscAddressMap::GetGlobalSymbols()[address], value);
}

void OscBundle::AddNewMessage(char const* address, char const* text)
{
    addNewMessage(OscAddressMap::GetGlobalSymbols()[address], String(text));
}

void OscBundle::AddNewMessage(OscAddressPattern const& pattern, char const* text)
{
    addNewMessage(pattern, String(text));
}

void OscBundle::AddNewMessage(OscAddress const& address, float value)
{
    addNewMessage(address, value);
}

// --- Flattening and prefixes ---------------------------------------------------------------

void OscBundle::AddFlattening(OscBundle const& other)
{
    // Copy first when other is this bundle: appending would otherwise walk a growing list.
    if (&other == this)
    {
        OscBundle const copy(other);
        AddFlattening(copy);
        return;
    }
    for (auto const& element : other.elements)
    {
        if (auto const* message = element.GetMessage())
            Add(*message);
        else if (auto const* nested = element.GetBundle())
            AddFlattening(*nested);
    }
}

bool OscBundle::HasNestedBundle() const noexcept
{
    for (auto const& element : elements)
        if (element.GetBundle() != nullptr)
            return true;
    return false;
}

OscBundle OscBundle::Flattened() const
{
    if (!HasNestedBundle())
        return *this;
    OscBundle flat;
    flat.AddFlattening(*this);
    return flat;
}

template <typename Operation> void OscBundle::callMethodForEach(Operation&& operation)
{
    for (auto& element : elements)
    {
        if (auto* message = element.GetMessage())
            operation(*message);
        else if (auto* nested = element.GetBundle())
            nested->callMethodForEach(operation);
    }
}

void OscBundle::PrependPattern(OscAddress const& address)
{
    callMethodForEach([&address](OscMessage& message) { message.GetAddressPattern().Prepend(address); });
}

// --- Text ----------------------------------------------------------------------------------

void OscBundle::appendText(std::string& out, String const& separator) const
{
    for (unsigned long i = 0; i < elements.GetSize(); ++i)
    {
        if (i > 0)
            out.append(separator.GetView());
        if (auto const* message = elements[i].GetMessage())
            message->AppendText(out);
        else if (auto const* nested = elements[i].GetBundle())
            nested->appendText(out, String::NewLine()); // nested lines always end at a line feed
    }
}

StringArray OscBundle::ToStringArray() const
{
    StringArray lines;
    for (auto const& element : elements)
    {
        std::string line;
        if (auto const* message = element.GetMessage())
            message->AppendText(line);
        else if (auto const* nested = element.GetBundle())
            nested->appendText(line, String::NewLine());
        lines.PushBack(String(std::move(line)));
    }
    return lines;
}

String OscBundle::ToString(String const& separator) const
{
    std::string out;
    appendText(out, separator);
    return String(std::move(out));
}

void OscBundle::CopyToClipboard(String const& separator) const
{
    SystemClipboard::CopyTextToClipboard(ToString(separator));
}

bool OscBundle::operator==(OscBundle const& other) const noexcept
{
    if (timeTag != other.timeTag || elements.GetSize() != other.elements.GetSize())
        return false;
    for (unsigned long i = 0; i < elements.GetSize(); ++i)
    {
        auto const& a = elements[i];
        auto const& b = other.elements[i];
        if (a.GetMessage() != nullptr && b.GetMessage() != nullptr)
        {
            if (*a.GetMessage() != *b.GetMessage())
                return false;
        }
        else if (a.GetBundle() != nullptr && b.GetBundle() != nullptr)
        {
            if (*a.GetBundle() != *b.GetBundle())
                return false;
        }
        else if (a.GetMessage() != nullptr || b.GetMessage() != nullptr || a.GetBundle() != nullptr ||
                 b.GetBundle() != nullptr)
            return false;
    }
    return true;
}

} // namespace qev
