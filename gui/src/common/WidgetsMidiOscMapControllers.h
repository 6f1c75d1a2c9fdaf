#pragma once

#include "QguiComponent.h"
#include "midi/QevMidiOscMap.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace widgets
{

// The row list of the mapping editor: it owns the mapping table and shows one row per entry,
// row i always showing entry i. A new list holds the default entry.
//
// The table is reached from the host's threads and from the message thread; every use of it goes
// under GetLock(), which is recursive because listeners may call back into the table from inside
// Process(). The rows belong to the message thread.
class MidiOscMapControllers : public qgui::Component
{
public:
    static constexpr int rowWidth = 800;
    static constexpr int rowHeight = 21;
    static constexpr juce::uint32 evenRowColour = 0xFFEDF3FE;
    static constexpr juce::uint32 oddRowColour = 0xFFFFFFFF;

    MidiOscMapControllers();
    ~MidiOscMapControllers() override;

    qev::MidiOscMap& GetMap() noexcept { return map; }
    qev::MidiOscMap const& GetMap() const noexcept { return map; }
    std::recursive_mutex& GetLock() const noexcept { return lock; }

    // Brings the rows in line with the table: rows are added or deleted at the end only, then
    // every row is rewritten from its entry. Message thread only.
    void update();

    std::size_t GetNumRows() const noexcept { return rows.size(); }
    // The row at index (below GetNumRows()).
    juce::Label& GetRow(std::size_t index) const noexcept { return *rows[index]; }

    // The text a row shows for one entry.
    static juce::String describeEntry(qev::MidiOscMap::Entry const& entry);

    void resized() override;

private:
    mutable std::recursive_mutex lock;
    qev::MidiOscMap map;
    // Read-only rows until the editing rows exist: one label per entry.
    std::vector<std::unique_ptr<juce::Label>> rows;

    JUCE_DECLARE_NON_COPYABLE(MidiOscMapControllers)
};

} // namespace widgets
