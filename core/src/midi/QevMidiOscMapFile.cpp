// The mapping table's XML file: its element form, saving and loading.

#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "files/QevFile.h"
#include "midi/QevMidiOscMap.h"
#include "text/QevXmlDocument.h"
#include "text/QevXmlElement.h"

#include <cmath>
#include <memory>

namespace qev
{

namespace
{
char const* const rootTag = "trov5.cclink";
char const* const entryTag = "mapping";

// The attribute text is read in single precision, so the value always fits a float. "nan", "inf"
// and "-inf" read as 0, like any other number the table cannot use: a NaN would never settle in
// the editor, and an infinite range or exponent only yields NaN and infinity.
float readFloat(XmlElement const& element, char const* name)
{
    double const value = element.GetDoubleAttribute(String(name), 0.0);
    return std::isfinite(value) ? static_cast<float>(value) : 0.0f;
}
} // namespace

XmlElement* MidiOscMap::Entry::GetXmlRepresentation() const
{
    std::unique_ptr<XmlElement> element(new XmlElement(entryTag));
    element->SetAttribute(String("midichannel"), channel);
    element->SetAttribute(String("midicontroller"), controller);
    element->SetAttribute(String("pattern"), address.GetText());
    element->SetAttribute(String("minrange"), static_cast<double>(minimum));
    element->SetAttribute(String("maxrange"), static_cast<double>(maximum));
    element->SetAttribute(String("exponent"), static_cast<double>(exponent));
    element->SetAttribute(String("currentmidi"), static_cast<double>(currentMidi));
    element->SetAttribute(String("currentosc"), static_cast<double>(currentOsc));
    return element.release();
}

MidiOscMap::Entry MidiOscMap::Entry::CreateFromXmlRepresentation(XmlElement const& element)
{
    Entry entry(0, 1, OscAddress("/foo"), 0.0f, 1.0f, 1.0f);
    if (!element.HasTagName(String(entryTag)))
        return entry;
    entry.channel = element.GetIntAttribute(String("midichannel"), 0);
    entry.controller = element.GetIntAttribute(String("midicontroller"), 0);
    entry.address = OscAddress(element.GetStringAttribute(String("pattern")));
    entry.minimum = readFloat(element, "minrange");
    entry.maximum = readFloat(element, "maxrange");
    entry.exponent = readFloat(element, "exponent");
    entry.currentMidi = readFloat(element, "currentmidi");
    entry.currentOsc = readFloat(element, "currentosc");
    return entry;
}

bool MidiOscMap::SaveAsXml(File const& file, Overwrite const& overwrite) const
{
    if (file.ExistsAsFile() && overwrite != Overwrite::Replace)
        throw Exception(String("file ") + file.GetFullPathName().Quoted('"') + " already exists",
                        SourceLineInfo("QevMidiOscMap", 695), true, false);

    XmlElement root(rootTag);
    for (Entry const* entry : entries)
        root.AddChildElement(entry->GetXmlRepresentation());
    // Written beside the target and checked to the last byte before it replaces the target.
    return root.WriteToFile(file, String(), String("UTF-8"), 60);
}

bool MidiOscMap::LoadFromXml(File const& file)
{
    if (!file.ExistsAsFile())
        throw exceptions::NoSuchFile(file, SourceLineInfo("QevMidiOscMap", 654));
    Clear();

    std::unique_ptr<XmlElement> const root(XmlDocument::Parse(file));
    if (root == nullptr)
        throw Exception(String("error parsing file ") + file.GetFullPathName().Quoted('"'),
                        SourceLineInfo("QevMidiOscMap", 664), true, false);

    for (XmlElement const* child = root->GetFirstChildElement(); child != nullptr;
         child = child->GetNextElement())
    {
        // Stray text between the elements is not a mapping.
        if (child->IsTextElement())
            continue;
        append(Entry::CreateFromXmlRepresentation(*child));
    }
    return true;
}

} // namespace qev
