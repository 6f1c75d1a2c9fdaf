#include "WidgetsMidiOscMapControllers.h"

#include "QguiStrings.h"

namespace widgets
{
namespace
{

juce::String number(float value)
{
    return qgui::ToJuceString(qev::String(static_cast<double>(value)));
}

} // namespace

MidiOscMapControllers::MidiOscMapControllers()
{
    map.AddNewEntry();
    update();
}

MidiOscMapControllers::~MidiOscMapControllers() = default;

juce::String MidiOscMapControllers::describeEntry(qev::MidiOscMap::Entry const& entry)
{
    return "controller " + juce::String(entry.controller) + ", channel " + juce::String(entry.channel) +
           ", MIDI " + number(entry.currentMidi) + ", " + qgui::ToJuceString(entry.address.GetText()) +
           ", min " + number(entry.minimum) + ", max " + number(entry.maximum) + ", exponent " +
           number(entry.exponent) + ", OSC " + number(entry.currentOsc);
}

void MidiOscMapControllers::update()
{
    // The texts are taken under the lock and the rows written after it, so that a host thread
    // never waits for the GUI.
    std::vector<juce::String> texts;
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        texts.reserve(map.GetNumEntries());
        for (std::size_t i = 0; i < map.GetNumEntries(); ++i)
            texts.push_back(describeEntry(map.GetEntry(i)));
    }
    std::size_t const n = texts.size();
    std::size_t const old = rows.size();
    for (std::size_t i = old; i < n; ++i)
    {
        auto row = std::make_unique<juce::Label>();
        // Colours belong to positions, so that they keep alternating whatever is deleted.
        row->setColour(juce::Label::backgroundColourId,
                       juce::Colour(i % 2 == 0 ? evenRowColour : oddRowColour));
        row->setColour(juce::Label::textColourId, juce::Colours::black);
        row->setFont(juce::Font("Arial", 11.0f, juce::Font::plain));
        addAndMakeVisible(*row);
        rows.push_back(std::move(row));
    }
    if (n < old)
        rows.resize(n);
    if (n != old)
        setSize(rowWidth, rowHeight * static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i)
        rows[i]->setText(texts[i], juce::dontSendNotification);
}

void MidiOscMapControllers::resized()
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i]->setBounds(0, rowHeight * static_cast<int>(i), rowWidth, rowHeight);
}

} // namespace widgets
