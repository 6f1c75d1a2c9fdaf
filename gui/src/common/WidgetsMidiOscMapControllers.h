#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsMidiOscMapOneController.h"
#include "midi/QevMidiOscMap.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
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
// The rows cost what changes, not what the table holds. While the list is on screen (in a window
// that is open, minimised or not), the list notes which entries each conversion changes and
// rewrites only their rows. While it is not, the rows are left as they are, or not even built,
// and brought in line with the whole table once it goes on screen, or once anyone asks for a row.
// Building, rewriting and deleting rows never posts a message per control.
//
// MIDI learn: at most one learn toggle is on, and while it is, the others are off and disabled and
// the table's learn flag is on. The list listens to the table and hands a learned message to the
// learning row. The lit toggle follows its entry when an entry above it is deleted; deleting the
// learning entry ends learning.
class MidiOscMapControllers : public qgui::Component,
                              public juce::Button::Listener,
                              private qev::MidiOscMap::Listener,
                              private juce::AsyncUpdater
{
public:
    static constexpr int rowWidth = 800;
    static constexpr int rowHeight = 21;
    static constexpr juce::uint32 evenRowColour = 0xFFEDF3FE;
    static constexpr juce::uint32 oddRowColour = 0xFFFFFFFF;

    MidiOscMapControllers();
    ~MidiOscMapControllers() override;

    // What every row looks like; lives as long as the list.
    MidiOscMapOneController::Looks& GetRowLooks() noexcept { return rowLooks; }

    qev::MidiOscMap& GetMap() noexcept { return map; }
    qev::MidiOscMap const& GetMap() const noexcept { return map; }
    std::recursive_mutex& GetLock() const noexcept { return lock; }

    // Brings every row in line with the table at once, on screen or not: rows are added or
    // deleted at the end only, and every row whose entry differs from what it was last written
    // from is rewritten, without notification. Message thread; the table is read under the lock,
    // the rows written after it, so that a host thread never waits for the GUI.
    void update();
    // Any thread, after the table changed through the panel's operations: on screen, the rows of
    // the changed entries follow at once on the message thread, or from one posted message
    // otherwise (several posts before it runs give one); off screen, the rows are only marked as
    // behind the table.
    void Refresh();
    // Any thread: brings the rows in line from a posted message (several posts give one).
    using juce::AsyncUpdater::triggerAsyncUpdate;

    // Lock held: the table was emptied or replaced, so every row shown is compared at the next
    // bringing in line, and learning ends.
    void TableReplaced() noexcept;
    // Lock held: converts an OSC message, noting its address, whose entries change.
    void Process(qev::OscMessage const& message);

    // Whether the rows are kept in step with every change (the list is on screen).
    bool IsOnScreen() const noexcept { return onScreen.load(); }

    // Both bring the rows in line first when they are behind the table. Message thread.
    std::size_t GetNumRows();
    // The row at index (below GetNumRows()).
    MidiOscMapOneController& GetRow(std::size_t index);

    void resized() override;
    void buttonClicked(juce::Button* button) override;

    // From a row, inside the callback of its control that changed entry index: brings that row,
    // and those of every entry the edit converted, in line, but deletes no row there.
    void RowEdited(std::size_t index);
    // The row shows something else than its entry: it is rewritten at the next bringing in line.
    void RowNeedsRewrite(std::size_t index);

    // While one is alive, a row's control is inside its own callback, which must not see the row
    // deleted: rows beyond the table wait for a posted update.
    class RowCallback
    {
    public:
        explicit RowCallback(MidiOscMapControllers& list) noexcept : list(list) { ++list.rowCallbacks; }
        ~RowCallback() { --list.rowCallbacks; }
        RowCallback(RowCallback const&) = delete;
        RowCallback& operator=(RowCallback const&) = delete;

    private:
        MidiOscMapControllers& list;
    };

private:
    // What a row was last written from: enough to tell whether its entry has changed since.
    struct Shown
    {
        bool valid = false;
        std::uint64_t serial = 0;
        unsigned long address = 0;
        int channel = 0;
        int controller = 0;
        float minimum = 0.0f;
        float maximum = 0.0f;
        float exponent = 0.0f;
        float currentMidi = 0.0f;
        float currentOsc = 0.0f;

        bool Shows(qev::MidiOscMap::Entry const& entry) const noexcept;
    };

    // What has changed in the table since the rows were last brought in line. Under the lock.
    struct Changes
    {
        // More distinct addresses than this between two bringings in line: compare every row.
        static constexpr std::size_t maxAddresses = 64;

        bool all = true;
        std::vector<unsigned long> addresses;
        std::vector<std::size_t> rows;

        void NoteAddress(unsigned long hash);
        void Clear() noexcept;
    };

    class ScreenWatcher;

    void MessageProcessed(qev::OscBundle const& bundle) override;
    void MessageReceivedWhileMidiLearn(qev::MidiMessage const& message) override;
    void handleAsyncUpdate() override;

    // The list, all its parents and its window are visible and the window is on the desktop.
    bool isInOpenWindow() const noexcept;
    void onScreenMayHaveChanged();
    // Rewrites the rows of what has changed; rowsMayGo false leaves rows beyond the table for a
    // posted update.
    void bringInLine(bool rowsMayGo);
    void addRows(std::vector<std::pair<std::size_t, qev::MidiOscMap::Entry>> const& fresh);
    void deleteRowsFrom(std::size_t first);
    void deleteRows(std::size_t first);
    void write(std::size_t index, qev::MidiOscMap::Entry const& entry);
    void rebuildAddressIndex();
    void removeEntry(std::size_t index);
    // The learn a host thread left for the message thread, if its learning is still on.
    void learnLeftByAHostThread();
    void setLearningRow(int index);
    void stopLearning();

    mutable std::recursive_mutex lock;
    qev::MidiOscMap map;
    // Before the rows, which paint with it until they are gone.
    MidiOscMapOneController::Looks rowLooks;
    std::vector<std::unique_ptr<MidiOscMapOneController>> rows;
    // Parallel to rows.
    std::vector<Shown> shown;
    // (address hash, row index) of every row, sorted, for the rows an address's conversion
    // changes; rebuilt when an address shown has changed.
    std::vector<std::pair<unsigned long, std::size_t>> byAddress;
    bool addressIndexStale = true;
    Changes changes;
    std::atomic<bool> onScreen{false};
    std::unique_ptr<ScreenWatcher> screenWatcher;
    int rowCallbacks = 0;
    // Under the lock, written on the message thread: the learning row (or -1). Under the lock:
    // which switching on of learning it is, so that a learn left by a host thread reaches no later
    // one (a replaced table counts as a new one).
    int learningIndex = -1;
    std::uint64_t learnSession = 0;
    // Under the lock: the first controller message a host thread received in the latest learning
    // that received one, which the message thread learns when it next brings the rows in line, if
    // that learning is still on.
    struct LeftLearn
    {
        bool left = false;
        std::uint64_t session = 0;
        int channel = 0;
        int controller = 0;
        int value = 0;
    } leftLearn;

    JUCE_DECLARE_NON_COPYABLE(MidiOscMapControllers)
};

} // namespace widgets
