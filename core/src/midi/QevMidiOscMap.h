#pragma once

#include "memory/QevOwnedVector.h"
#include "memory/QevVector.h"
#include "midi/QevMidiMessage.h"
#include "osc/QevOscAddress.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

#include <cstddef>
#include <cstdint>

namespace qev
{

class File;
class XmlElement;
enum class Overwrite : std::uint8_t;

// The mapping table between MIDI controllers and OSC addresses: each entry ties one controller
// on one channel to one address through a value range and a curve exponent, and remembers the
// last value seen or computed on each side. Results leave through the listeners, synchronously.
//
// The table takes no lock: its owner serialises every call. Listeners may call back into the
// table from their callbacks (MIDI learn edits an entry from inside Process).
class MidiOscMap
{
public:
    // One mapping. Channels outside 1..16 and controllers outside 0..127 never match incoming
    // MIDI; the messages sent for them have the channel clamped and the controller masked (see
    // MidiMessage::ControllerEvent). The address never holds wildcards.
    struct Entry
    {
        Entry() = default;
        Entry(int channel, int controller, OscAddress const& address, float minimum, float maximum,
              float exponent, float currentMidi = 0.0f, float currentOsc = 0.0f);

        int channel = 1;
        int controller = 0;
        OscAddress address;
        float minimum = 0.0f;  // OSC value for controller value 0
        float maximum = 1.0f;  // OSC value for controller value 127
        float exponent = 1.0f; // curve; 1 is a straight line
        float currentMidi = 0.0f;
        float currentOsc = 0.0f;
        // Tells an entry from the one that replaces it: the table gives every entry it stores
        // anew (added, overwritten, loaded) a serial of its own, and edits keep it. 0 outside a
        // table; never saved.
        std::uint64_t serial = 0;

        // Whether a MIDI message can carry the entry's channel and controller. One built from an
        // entry outside 1..16 and 0..127 has them clamped and masked into another entry's.
        bool CanBeCarried() const noexcept
        {
            return channel >= 1 && channel <= 16 && controller >= 0 && controller <= 127;
        }

        // A new "mapping" element, owned by the caller, holding the eight fields as attributes.
        XmlElement* GetXmlRepresentation() const;
        // An entry read from a "mapping" element: a missing attribute, or a number that is not
        // finite, reads as 0 (or the empty address), the exponent as it is. Any other element
        // gives channel 0, controller 1, "/foo", range 0..1, exponent 1, which never matches
        // incoming MIDI. Throws the address's exception for a pattern that is not a valid
        // address.
        static Entry CreateFromXmlRepresentation(XmlElement const& element);
    };

    // Every callback does nothing unless overridden.
    class Listener
    {
    public:
        virtual ~Listener() = default;
        // A controller message computed from OSC input or re-sent by ForceUpdate.
        virtual void MessageProcessed(MidiMessage const& message);
        // The OSC messages computed from one MIDI message, or one entry re-sent by ForceUpdate.
        virtual void MessageProcessed(OscBundle const& bundle);
        // Every MIDI message processed while MIDI learn is on, after its OSC result.
        virtual void MessageReceivedWhileMidiLearn(MidiMessage const& message);
    };

    MidiOscMap() = default;
    MidiOscMap(MidiOscMap const&) = delete;
    MidiOscMap& operator=(MidiOscMap const&) = delete;
    ~MidiOscMap() = default;

    // Adds a mapping, or overwrites in place the first one with the same channel and controller
    // (its current values return to 0). The exponent is raised to at least 0.0001 (NaN too).
    // Nothing is sent.
    void AddEntry(int channel, int controller, OscAddress const& address, float minimum, float maximum,
                  float exponent);
    // Adds channel 1, the lowest controller channel 1 does not use, "/foo", range 0..1, exponent 1.
    void AddNewEntry();

    // When any value differs from entry index, stores them (the exponent as given) and processes
    // the entry's controller message as if it had arrived from outside, so that every entry on
    // that controller re-sends its OSC value. Identical values change and send nothing. An entry
    // no MIDI message can carry (channel outside 1..16, controller outside 0..127) is stored and
    // processes nothing.
    void EditEntry(std::size_t index, int channel, int controller, OscAddress const& address, float minimum,
                   float maximum, float exponent);
    // The same, the current MIDI value also compared (truncated) and stored.
    void EditEntry(std::size_t index, int channel, int controller, OscAddress const& address, float minimum,
                   float maximum, float exponent, int currentMidi);

    // Deletes entry index; the later entries move down by one.
    void RemoveEntry(std::size_t index);
    // Deletes every entry; listeners, the last message and MIDI learn stay.
    void Clear() noexcept { entries.Clear(); }

    // index must be below GetNumEntries(); it is not checked.
    Entry const& GetEntry(std::size_t index) const noexcept { return *entries[index]; }
    std::size_t GetNumEntries() const noexcept { return entries.GetSize(); }

    void SetMidiLearn(bool on) noexcept { midiLearn = on; }
    bool IsMidiLearnOn() const noexcept { return midiLearn; }

    // Writes the table as an XML file, safely: the old file stays as it was unless the complete new
    // one replaces it. True when the file was written and moved into place. Throws qev::Exception
    // when the file exists and overwrite refuses (nothing is written).
    bool SaveAsXml(File const& file, Overwrite const& overwrite) const;
    // Replaces the table by the file's entries, in file order and without the replacement rule
    // of AddEntry. Throws qev::exceptions::NoSuchFile (table unchanged) when the file is missing,
    // and qev::Exception (table empty) when it is not a complete XML document. Sends nothing.
    bool LoadFromXml(File const& file);

    // The last message given to Process(MidiMessage const&); the default message before any.
    MidiMessage const& GetLastMessage() const noexcept { return lastMessage; }

    // Null and already registered listeners are ignored; listeners are called in registration
    // order. A listener must be removed before it is destroyed.
    void AddListener(Listener* listener);
    void RemoveListener(Listener* listener);

    // Remembers the message, sends the OSC messages of every entry on its channel and controller
    // as one bundle (none when no entry matches), then, with MIDI learn on, reports the message
    // to every listener whatever it was.
    void Process(MidiMessage const& message);
    // Stores the value in every entry whose address equals the message's and sends the
    // controller message of each; the message must carry exactly one number. Patterns with
    // wildcards are ignored.
    void Process(OscMessage const& message);
    // Re-sends every entry's current values, unchanged: its controller message, then a bundle of
    // its OSC message.
    void ForceUpdate();

private:
    // Overwrites the first entry with the same channel and controller, or appends.
    void addEntry(Entry const& entry);
    OscBundle applyMapping(MidiMessage const& message);
    Vector<MidiMessage> applyMapping(OscMessage const& message);
    void processEditedEntry(Entry const& entry);
    void reportWhileMidiLearn(MidiMessage const& message);

    // Stores the entry at the end of the table under a new serial.
    void append(Entry const& entry);

    OwnedVector<Entry> entries;
    std::uint64_t lastSerial = 0;
    MidiMessage lastMessage;
    Vector<Listener*> listeners;
    bool midiLearn = false;
};

} // namespace qev
