#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsMidiOscMapOneController.h"
#include "midi/QevMidiOscMap.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace widgets
{

// The row list of the mapping editor: it owns the mapping table and one row per entry, row i
// always showing entry i, and handles the rows' "delete" buttons and "learn" toggles. A new list
// holds the default entry.
//
// The table is reached from the host's threads and from the message thread; every use of it goes
// under GetLock(), which is recursive because MIDI learn edits the table from inside Process().
// The rows belong to the message thread.
//
// MIDI learn: at most one learn toggle is on, and while it is, the others are off and disabled and
// the table's learn flag is on. The lit toggle follows its entry when an entry above it is
// deleted; deleting the learning entry ends learning.
class MidiOscMapControllers : public qgui::Component,
                              public juce::Button::Listener,
                              private juce::AsyncUpdater
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
    // every row is rewritten from its entry without notification. Message thread only; the table
    // is read under the lock, the rows written after it, so that a host thread never waits for
    // the GUI.
    void update();
    // Any thread: update() posted to the message loop; several posts before it runs give one.
    using juce::AsyncUpdater::triggerAsyncUpdate;

    std::size_t GetNumRows() const noexcept { return rows.size(); }
    // The row at index (below GetNumRows()).
    MidiOscMapOneController& GetRow(std::size_t index) const noexcept { return *rows[index]; }
    // The position of the row in the list, or -1.
    int IndexOf(MidiOscMapOneController const* row) const noexcept;

    void resized() override;
    void buttonClicked(juce::Button* button) override;

private:
    void handleAsyncUpdate() override;
    void removeEntry(std::size_t index);
    // The index of the row whose learn toggle is on, or -1.
    int learningRow() const noexcept;
    void stopLearning();

    mutable std::recursive_mutex lock;
    qev::MidiOscMap map;
    std::vector<std::unique_ptr<MidiOscMapOneController>> rows;

    JUCE_DECLARE_NON_COPYABLE(MidiOscMapControllers)
};

} // namespace widgets
