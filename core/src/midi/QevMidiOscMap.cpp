#include "midi/QevMidiOscMap.h"

#include "memory/QevAlloc.h"
#include "midi/QevMidiOscConversion.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <vector>

namespace qev
{

namespace
{
// The controller message of an entry: its channel and controller, its current MIDI value, clamped
// and masked into MIDI's ranges. Any entry may send it out (a stored channel 0 shows, and sends,
// as channel 1); only processing it here would reach another entry.
MidiMessage controllerMessageOf(MidiOscMap::Entry const& entry) noexcept
{
    return MidiMessage::ControllerEvent(entry.channel, entry.controller,
                                        MidiOscConversion::TruncateToInt(entry.currentMidi));
}

// Both edits store every value once anything differs, so that an edit also replaces values that
// merely compare equal (0 and -0). The current MIDI value, when given, is compared as the table
// shows it: truncated. Returns whether the entry was stored.
bool storeEdit(MidiOscMap::Entry& entry, int channel, int controller, OscAddress const& address,
               float minimum, float maximum, float exponent, std::optional<int> currentMidi)
{
    if (entry.channel == channel && entry.controller == controller && entry.address == address &&
        entry.minimum == minimum && entry.maximum == maximum && entry.exponent == exponent &&
        (!currentMidi || MidiOscConversion::TruncateToInt(entry.currentMidi) == *currentMidi))
        return false;
    entry.channel = channel;
    entry.controller = controller;
    entry.address = address;
    entry.minimum = minimum;
    entry.maximum = maximum;
    entry.exponent = exponent;
    if (currentMidi)
        entry.currentMidi = static_cast<float>(*currentMidi);
    return true;
}
} // namespace

MidiOscMap::Entry::Entry(int channel, int controller, OscAddress const& address, float minimum, float maximum,
                         float exponent, float currentMidi, float currentOsc)
    : channel(channel), controller(controller), address(address), minimum(minimum), maximum(maximum),
      exponent(exponent), currentMidi(currentMidi), currentOsc(currentOsc)
{
}

void MidiOscMap::Listener::MessageProcessed(MidiMessage const&) {}

void MidiOscMap::Listener::MessageProcessed(OscBundle const&) {}

void MidiOscMap::Listener::MessageReceivedWhileMidiLearn(MidiMessage const&) {}

void MidiOscMap::AddEntry(int channel, int controller, OscAddress const& address, float minimum,
                          float maximum, float exponent)
{
    // An exponent at or below 0 has no inverse curve; NaN fails the comparison and is raised too.
    constexpr float smallestExponent = 0.0001f;
    if (!(exponent >= smallestExponent))
        exponent = smallestExponent;
    addEntry(Entry(channel, controller, address, minimum, maximum, exponent));
}

void MidiOscMap::addEntry(Entry const& entry)
{
    for (Entry* existing : entries)
    {
        if (existing->channel == entry.channel && existing->controller == entry.controller)
        {
            *existing = entry;
            existing->serial = ++lastSerial;
            return;
        }
    }
    append(entry);
}

void MidiOscMap::append(Entry const& entry)
{
    std::unique_ptr<Entry> added(new Entry(entry));
    added->serial = ++lastSerial;
    entries.PushBack(added.get());
    added.release();
}

void MidiOscMap::AddNewEntry()
{
    // The lowest controller free on channel 1; n entries can hold at most n of them, so it is at
    // most n. One pass marks those taken: searching again from the start for every taken one
    // would take time growing with the square of the table.
    std::size_t const count = std::min<std::size_t>(entries.GetSize(), INT_MAX);
    std::vector<bool> taken;
    Allocations::ResizeVector(taken, count + 1);
    for (Entry const* entry : entries)
        if (entry->channel == 1 && entry->controller >= 0 &&
            static_cast<std::size_t>(entry->controller) <= count)
            taken[static_cast<std::size_t>(entry->controller)] = true;
    std::size_t const candidate =
        static_cast<std::size_t>(std::find(taken.begin(), taken.end(), false) - taken.begin());
    AddEntry(1, static_cast<int>(candidate), OscAddress("/foo"), 0.0f, 1.0f, 1.0f);
}

void MidiOscMap::EditEntry(std::size_t index, int channel, int controller, OscAddress const& address,
                           float minimum, float maximum, float exponent)
{
    Entry& entry = *entries[index];
    if (storeEdit(entry, channel, controller, address, minimum, maximum, exponent, std::nullopt))
        processEditedEntry(entry);
}

void MidiOscMap::EditEntry(std::size_t index, int channel, int controller, OscAddress const& address,
                           float minimum, float maximum, float exponent, int currentMidi)
{
    Entry& entry = *entries[index];
    if (storeEdit(entry, channel, controller, address, minimum, maximum, exponent, currentMidi))
        processEditedEntry(entry);
}

void MidiOscMap::processEditedEntry(Entry const& entry)
{
    // A message built from it would process another entry instead.
    if (!entry.CanBeCarried())
        return;
    // Built before Process runs: listeners may change the table, and the entry with it.
    MidiMessage const message = controllerMessageOf(entry);
    Process(message);
}

void MidiOscMap::RemoveEntry(std::size_t index)
{
    entries.DeleteAndRemove(index);
}

void MidiOscMap::AddListener(Listener* listener)
{
    if (listener != nullptr && !listeners.Contains(listener))
        listeners.PushBack(listener);
}

void MidiOscMap::RemoveListener(Listener* listener)
{
    long const index = listener != nullptr ? listeners.IndexOf(listener) : -1;
    if (index >= 0)
        listeners.Remove(static_cast<unsigned long>(index));
}

OscBundle MidiOscMap::applyMapping(MidiMessage const& message)
{
    OscBundle bundle;
    if (!message.IsController() || entries.IsEmpty())
        return bundle;
    int const channel = message.GetChannel();
    int const controller = message.GetControllerNumber();
    float const value = static_cast<float>(message.GetControllerValue());
    float const normalised = MidiOscConversion::NormaliseControllerValue(value);

    for (Entry* entry : entries)
    {
        if (entry->channel != channel || entry->controller != controller)
            continue;
        entry->currentMidi = value;
        entry->currentOsc = MidiOscConversion::ControllerToOsc(value, normalised, entry->minimum,
                                                               entry->maximum, entry->exponent);
        OscMessage osc(entry->address);
        osc.ReserveArguments(1);
        osc.Add(entry->currentOsc);
        bundle.Add(std::move(osc));
    }
    return bundle;
}

void MidiOscMap::Process(MidiMessage const& message)
{
    // Listeners may process further messages, which would change the message under our feet.
    if (&message == &lastMessage)
    {
        MidiMessage const copy(message);
        Process(copy);
        return;
    }
    lastMessage = message;
    OscBundle const bundle = applyMapping(message);
    // By index over the live list: a listener that edits the list cannot invalidate the loop.
    if (!bundle.IsEmpty())
        for (unsigned long i = 0; i < listeners.GetSize(); ++i)
            listeners[i]->MessageProcessed(bundle);
    if (midiLearn)
        reportWhileMidiLearn(message);
}

void MidiOscMap::reportWhileMidiLearn(MidiMessage const& message)
{
    // Learn callbacks edit the table and may add or remove listeners, so the reports go to the
    // listeners registered when the loop began. One removed meanwhile may already be destroyed:
    // it is skipped. The copy stays on the stack unless there are many listeners.
    constexpr unsigned long stackCapacity = 32;
    Listener* onStack[stackCapacity];
    Vector<Listener*> onHeap;
    unsigned long const count = listeners.GetSize();
    Listener* const* snapshot = onStack;
    if (count <= stackCapacity)
        std::copy(listeners.begin(), listeners.end(), onStack);
    else
    {
        Allocations::ReserveVector(onHeap.GetStdVector(), count);
        for (Listener* listener : listeners)
            onHeap.PushBack(listener);
        snapshot = onHeap.GetData();
    }

    for (unsigned long i = 0; i < count; ++i)
        if (listeners.Contains(snapshot[i]))
            snapshot[i]->MessageReceivedWhileMidiLearn(message);
}

Vector<MidiMessage> MidiOscMap::applyMapping(OscMessage const& message)
{
    Vector<MidiMessage> result;
    OscAddressPattern const& pattern = message.GetAddressPattern();
    if (pattern.HasWildcard())
        return result;
    if (message.GetNumArguments() != 1 || !message.GetArgument(0).IsNumber())
        return result;
    // Beyond the float range an argument counts as the largest float of its sign, NaN as 0: the
    // current OSC value is stored and exported, and must stay a number.
    float const value = MidiOscConversion::ToFinite(message.GetArgument(0).GetNumberAsDouble(), 0.0f);

    // A pattern without wildcards is a valid address with the same normalised text, so comparing
    // text hashes equals comparing it as an address, without parsing it again.
    unsigned long const addressHash = pattern.GetHash();
    for (Entry* entry : entries)
    {
        if (entry->address.GetHash() != addressHash)
            continue;
        entry->currentOsc = value;
        entry->currentMidi =
            MidiOscConversion::OscToController(value, entry->minimum, entry->maximum, entry->exponent);
        result.PushBack(controllerMessageOf(*entry));
    }
    return result;
}

void MidiOscMap::Process(OscMessage const& message)
{
    Vector<MidiMessage> const midi = applyMapping(message);
    for (MidiMessage const& result : midi)
        for (unsigned long i = 0; i < listeners.GetSize(); ++i)
            listeners[i]->MessageProcessed(result);
}

void MidiOscMap::ForceUpdate()
{
    // By index, re-reading the size: listeners may edit the table while it is being sent.
    for (unsigned long i = 0; i < entries.GetSize(); ++i)
    {
        Entry const& entry = *entries[i];
        MidiMessage const midi = controllerMessageOf(entry);
        OscMessage osc(entry.address);
        osc.ReserveArguments(1);
        osc.Add(entry.currentOsc);
        OscBundle const bundle(std::move(osc));
        for (unsigned long j = 0; j < listeners.GetSize(); ++j)
            listeners[j]->MessageProcessed(midi);
        for (unsigned long j = 0; j < listeners.GetSize(); ++j)
            listeners[j]->MessageProcessed(bundle);
    }
}

} // namespace qev
