#include "common/WidgetsMidiOscMapControllers.h"

#include "common/QguiPointerQueries.h"

#include <algorithm>
#include <utility>

namespace widgets
{
namespace
{

using Guard = std::lock_guard<std::recursive_mutex>;

// The framework sometimes runs without a message manager (before start-up, in some tools): then
// whoever calls is the only thread the controls know.
bool onMessageThread()
{
    auto* const messageManager = juce::MessageManager::getInstanceWithoutCreating();
    return messageManager == nullptr || messageManager->isThisTheMessageThread();
}

} // namespace

// Told of every change of visibility of the list and of each of its parents, and of a new window
// peer, whether or not the framework then counts the list as showing (a minimised window does not
// count, but its rows must stay in line for when it comes back).
class MidiOscMapControllers::ScreenWatcher : public juce::ComponentMovementWatcher
{
public:
    explicit ScreenWatcher(MidiOscMapControllers& list) : juce::ComponentMovementWatcher(&list), list(list) {}

    void componentMovedOrResized(bool, bool) override {}
    void componentPeerChanged() override { list.onScreenMayHaveChanged(); }
    void componentVisibilityChanged() override {}
    void componentVisibilityChanged(juce::Component& component) override
    {
        juce::ComponentMovementWatcher::componentVisibilityChanged(component);
        list.onScreenMayHaveChanged();
    }

private:
    MidiOscMapControllers& list;
};

bool MidiOscMapControllers::Shown::Shows(qev::MidiOscMap::Entry const& entry) const noexcept
{
    return valid && serial == entry.serial && address == entry.address.GetHash() &&
           channel == entry.channel && controller == entry.controller && minimum == entry.minimum &&
           maximum == entry.maximum && exponent == entry.exponent && currentMidi == entry.currentMidi &&
           currentOsc == entry.currentOsc;
}

void MidiOscMapControllers::Changes::NoteAddress(unsigned long hash)
{
    if (all || std::find(addresses.begin(), addresses.end(), hash) != addresses.end())
        return;
    if (addresses.size() == maxAddresses)
    {
        all = true;
        addresses.clear();
        return;
    }
    // Reserved: a conversion on a host thread allocates nothing here.
    addresses.push_back(hash);
}

void MidiOscMapControllers::Changes::Clear() noexcept
{
    all = false;
    addresses.clear();
    rows.clear();
}

MidiOscMapControllers::MidiOscMapControllers()
{
    changes.addresses.reserve(Changes::maxAddresses);
    {
        Guard guard(lock);
        map.AddListener(this);
        map.AddNewEntry();
    }
    screenWatcher = std::make_unique<ScreenWatcher>(*this);
    update();
}

MidiOscMapControllers::~MidiOscMapControllers()
{
    cancelPendingUpdate();
    screenWatcher.reset();
    {
        Guard guard(lock);
        map.RemoveListener(this);
    }
    deleteRows(0);
}

std::size_t MidiOscMapControllers::GetNumRows()
{
    bool behind = false;
    {
        Guard guard(lock);
        // A row waiting to be rewritten over what the user typed is not behind the table.
        behind = changes.all || !changes.addresses.empty();
    }
    if (behind)
        bringInLine(true);
    return rows.size();
}

MidiOscMapOneController& MidiOscMapControllers::GetRow(std::size_t index)
{
    GetNumRows();
    return *rows[index];
}

void MidiOscMapControllers::update()
{
    {
        Guard guard(lock);
        changes.all = true;
    }
    bringInLine(true);
}

void MidiOscMapControllers::Refresh()
{
    if (!onScreen.load())
    {
        Guard guard(lock);
        changes.all = true;
        return;
    }
    if (onMessageThread())
        bringInLine(true);
    else
        triggerAsyncUpdate();
}

void MidiOscMapControllers::TableReplaced() noexcept
{
    // Off screen, the next Refresh() marks every row anyway.
    if (onScreen.load())
        changes.all = true;
    // The entry being learnt for is gone: no later message may land in its successor. The
    // toggles follow at the next bringing in line, on the message thread.
    if (map.IsMidiLearnOn())
    {
        map.SetMidiLearn(false);
        ++learnSession;
    }
}

void MidiOscMapControllers::Process(qev::OscMessage const& message)
{
    Guard guard(lock);
    if (onScreen.load())
        changes.NoteAddress(message.GetAddressPattern().GetHash());
    map.Process(message);
}

void MidiOscMapControllers::MessageProcessed(qev::OscBundle const& bundle)
{
    // One message per entry converted, at the entry's address.
    if (!onScreen.load())
        return;
    for (auto const& element : bundle)
        if (auto const* message = element.GetMessage())
            changes.NoteAddress(message->GetAddressPattern().GetHash());
}

void MidiOscMapControllers::RowEdited(std::size_t index)
{
    // The row's control holds what the user set, whatever the table made of it.
    RowNeedsRewrite(index);
    if (onScreen.load())
    {
        bringInLine(false);
        return;
    }
    // The edit converted its entry's controller, which nothing noted off screen.
    Guard guard(lock);
    changes.all = true;
}

void MidiOscMapControllers::RowNeedsRewrite(std::size_t index)
{
    if (index >= shown.size())
        return;
    shown[index].valid = false;
    Guard guard(lock);
    changes.rows.push_back(index);
}

void MidiOscMapControllers::handleAsyncUpdate()
{
    bringInLine(true);
}

bool MidiOscMapControllers::isInOpenWindow() const noexcept
{
    for (juce::Component const* c = this; c != nullptr; c = c->getParentComponent())
    {
        if (!c->isVisible())
            return false;
        if (c->getParentComponent() == nullptr)
            return c->isOnDesktop();
    }
    return false;
}

void MidiOscMapControllers::onScreenMayHaveChanged()
{
    bool const now = isInOpenWindow();
    if (now == onScreen.load())
        return;
    {
        Guard guard(lock);
        onScreen.store(now);
        // Nothing was noted while off screen.
        if (now)
            changes.all = true;
    }
    if (now)
        bringInLine(true);
}

void MidiOscMapControllers::bringInLine(bool rowsMayGo)
{
    rowsMayGo = rowsMayGo && rowCallbacks == 0;
    using Entry = qev::MidiOscMap::Entry;
    std::vector<std::pair<std::size_t, Entry>> changed;
    std::vector<std::pair<std::size_t, Entry>> fresh;
    std::size_t const old = rows.size();
    std::size_t n = 0;
    bool learnFlag = false;
    {
        Guard guard(lock);
        n = map.GetNumEntries();
        learnFlag = map.IsMidiLearnOn();
        std::size_t const kept = std::min(n, old);
        auto const consider = [&](std::size_t i)
        {
            if (i < kept && !shown[i].Shows(map.GetEntry(i)))
                changed.emplace_back(i, map.GetEntry(i));
        };
        if (changes.all || addressIndexStale)
        {
            for (std::size_t i = 0; i < kept; ++i)
                consider(i);
        }
        else
        {
            std::vector<std::size_t> candidates = changes.rows;
            for (unsigned long const hash : changes.addresses)
            {
                auto const range =
                    std::equal_range(byAddress.begin(), byAddress.end(), std::make_pair(hash, std::size_t{0}),
                                     [](auto const& a, auto const& b) { return a.first < b.first; });
                for (auto it = range.first; it != range.second; ++it)
                    candidates.push_back(it->second);
            }
            std::sort(candidates.begin(), candidates.end());
            candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
            for (std::size_t const i : candidates)
                consider(i);
        }
        for (std::size_t i = old; i < n; ++i)
            fresh.emplace_back(i, map.GetEntry(i));
        changes.Clear();
        // Rows beyond the table wait for a posted update, which compares everything again.
        changes.all = n < old && !rowsMayGo;
    }
    if (n < old)
    {
        if (rowsMayGo)
            deleteRowsFrom(n);
        else
            triggerAsyncUpdate();
    }
    if (!fresh.empty())
        addRows(fresh);
    for (auto const& [i, entry] : changed)
        write(i, entry);
    if (addressIndexStale)
        rebuildAddressIndex();
    // The learning row is gone, or the table was replaced under it: learning ends, rather than
    // leave every toggle disabled or one lit for an entry that is no longer there.
    if (learnFlag != (learningIndex >= 0))
        stopLearning();
    learnLeftByAHostThread();
}

void MidiOscMapControllers::write(std::size_t index, qev::MidiOscMap::Entry const& entry)
{
    rows[index]->Set(entry, false);
    Shown& s = shown[index];
    // A row marked for rewriting keeps its address: a slider dragged rewrites its row at every
    // step, which must not rebuild the index each time.
    if (s.address != entry.address.GetHash())
        addressIndexStale = true;
    s = {true,          entry.serial,  entry.address.GetHash(), entry.channel,     entry.controller,
         entry.minimum, entry.maximum, entry.exponent,          entry.currentMidi, entry.currentOsc};
}

void MidiOscMapControllers::addRows(std::vector<std::pair<std::size_t, qev::MidiOscMap::Entry>> const& fresh)
{
    std::size_t const first = rows.size();
    bool const learnActive = learningIndex >= 0;
    qgui::PointerQueries::Batch const pointerQueries;
    rows.reserve(first + fresh.size());
    shown.reserve(first + fresh.size());
    // Each row is made and filled in before it joins the list, so that nothing of it is
    // repainted or laid out twice; the list is resized once, after the last.
    auto const attach = [&]
    {
        for (std::size_t i = first; i < rows.size(); ++i)
            addAndMakeVisible(*rows[i]);
        setSize(rowWidth, rowHeight * static_cast<int>(rows.size()));
        addressIndexStale = true;
    };
    try
    {
        for (auto const& [i, entry] : fresh)
        {
            auto row = std::make_unique<MidiOscMapOneController>(*this, i);
            row->GetLearnToggle().AddListener(this);
            row->GetDeleteButton().addListener(this);
            // Colours belong to positions, so that they keep alternating whatever is deleted.
            row->SetBackgroundColour(juce::Colour(i % 2 == 0 ? evenRowColour : oddRowColour));
            // While another row learns, a new row cannot start learning either.
            row->GetLearnToggle().setEnabled(!learnActive);
            row->setBounds(0, rowHeight * static_cast<int>(i), rowWidth, rowHeight);
            rows.push_back(std::move(row));
            shown.emplace_back();
            write(i, entry);
        }
    }
    catch (...)
    {
        attach();
        throw;
    }
    attach();
}

void MidiOscMapControllers::deleteRowsFrom(std::size_t first)
{
    if (first >= rows.size())
        return;
    if (learningIndex >= static_cast<int>(first))
        setLearningRow(-1);
    deleteRows(first);
    setSize(rowWidth, rowHeight * static_cast<int>(first));
    addressIndexStale = true;
}

void MidiOscMapControllers::deleteRows(std::size_t first)
{
    // From the last: each leaves the end of the list's children at once, where searching the
    // children for it from the front would take time growing with their number. Hidden first,
    // so that its removal does not ask the window system whether it is showing.
    qgui::PointerQueries::Batch const pointerQueries;
    for (std::size_t i = rows.size(); i-- > first;)
    {
        rows[i]->setVisible(false);
        int const child = static_cast<int>(i);
        if (getChildComponent(child) == rows[i].get())
            removeChildComponent(child);
        else
            removeChildComponent(rows[i].get());
        rows[i].reset();
    }
    rows.resize(first);
    shown.resize(first);
}

void MidiOscMapControllers::rebuildAddressIndex()
{
    byAddress.clear();
    byAddress.reserve(rows.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        byAddress.emplace_back(shown[i].address, i);
    std::sort(byAddress.begin(), byAddress.end());
    addressIndexStale = false;
}

void MidiOscMapControllers::resized()
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i]->setBounds(0, rowHeight * static_cast<int>(i), rowWidth, rowHeight);
}

void MidiOscMapControllers::setLearningRow(int index)
{
    Guard guard(lock);
    if (index >= 0 && learningIndex < 0)
        ++learnSession;
    learningIndex = index;
}

void MidiOscMapControllers::stopLearning()
{
    {
        Guard guard(lock);
        map.SetMidiLearn(false);
    }
    setLearningRow(-1);
    for (auto& row : rows)
    {
        row->GetLearnToggle().SetToggleState(false, false);
        row->GetLearnToggle().setEnabled(true);
    }
}

void MidiOscMapControllers::MessageReceivedWhileMidiLearn(qev::MidiMessage const& message)
{
    // Under the lock, on the thread that converts.
    if (!message.IsController() || learningIndex < 0)
        return;
    int const channel = message.GetChannel();
    int const controller = message.GetControllerNumber();
    int const value = message.GetControllerValue();
    if (onMessageThread())
    {
        rows[static_cast<std::size_t>(learningIndex)]->Learn(channel, controller, value);
        return;
    }
    // The rows belong to the message thread: the learn waits for the next bringing in line there,
    // which the host's refresh of a shown editor starts, or else the posted update. Later messages
    // find a learn left already, unless it was left in an earlier learning, which nothing learns.
    if (!leftLearn.left || leftLearn.session != learnSession)
        leftLearn = {true, learnSession, channel, controller, value};
    triggerAsyncUpdate();
}

void MidiOscMapControllers::learnLeftByAHostThread()
{
    LeftLearn learn;
    bool current = false;
    {
        Guard guard(lock);
        learn = std::exchange(leftLearn, LeftLearn());
        current = learn.session == learnSession;
    }
    if (learn.left && current && learningIndex >= 0)
        rows[static_cast<std::size_t>(learningIndex)]->Learn(learn.channel, learn.controller, learn.value);
}

void MidiOscMapControllers::removeEntry(std::size_t index)
{
    int const lit = learningIndex;
    {
        Guard guard(lock);
        // The table may have shrunk on a host thread since the rows were last rewritten.
        if (index < map.GetNumEntries())
            map.RemoveEntry(index);
        // Every later entry has moved up a row.
        changes.all = true;
    }
    if (lit == static_cast<int>(index))
    {
        stopLearning();
    }
    else if (lit > static_cast<int>(index))
    {
        // The learning entry moved up one row: its toggle goes with it.
        auto& from = rows[static_cast<std::size_t>(lit)]->GetLearnToggle();
        auto& to = rows[static_cast<std::size_t>(lit) - 1]->GetLearnToggle();
        from.SetToggleState(false, false);
        from.setEnabled(false);
        to.setEnabled(true);
        to.SetToggleState(true, false);
        setLearningRow(lit - 1);
    }
    Refresh();
}

void MidiOscMapControllers::buttonClicked(juce::Button* button)
{
    auto* const row = dynamic_cast<MidiOscMapOneController*>(button->getParentComponent());
    if (row == nullptr || row->GetIndex() >= rows.size() || rows[row->GetIndex()].get() != row)
        return;
    std::size_t const index = row->GetIndex();
    if (button == &row->GetDeleteButton())
    {
        removeEntry(index);
        return;
    }
    if (button != &row->GetLearnToggle())
        return;
    bool const state = button->getToggleState();
    {
        Guard guard(lock);
        setLearningRow(state ? static_cast<int>(index) : -1);
        map.SetMidiLearn(state);
    }
    if (!state)
    {
        for (auto& r : rows)
            r->GetLearnToggle().setEnabled(true);
        return;
    }
    for (auto& r : rows)
    {
        auto& toggle = r->GetLearnToggle();
        if (&toggle != button)
        {
            toggle.SetToggleState(false, false);
            toggle.setEnabled(false);
        }
    }
}

} // namespace widgets
