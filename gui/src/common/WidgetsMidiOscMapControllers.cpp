#include "common/WidgetsMidiOscMapControllers.h"

#include "memory/QevAlloc.h"

#include <algorithm>

namespace widgets
{
namespace
{

using Guard = std::lock_guard<std::recursive_mutex>;

} // namespace

MidiOscMapControllers::MidiOscMapControllers()
{
    {
        Guard guard(lock);
        map.AddNewEntry();
    }
    update();
}

MidiOscMapControllers::~MidiOscMapControllers()
{
    cancelPendingUpdate();
    // Each row leaves the table's listeners while the table still exists.
    for (auto& row : rows)
        row.reset();
    rows.clear();
}

int MidiOscMapControllers::IndexOf(MidiOscMapOneController const* row) const noexcept
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].get() == row)
            return static_cast<int>(i);
    return -1;
}

int MidiOscMapControllers::learningRow() const noexcept
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->GetLearnToggle().getToggleState())
            return static_cast<int>(i);
    return -1;
}

void MidiOscMapControllers::update()
{
    std::vector<qev::MidiOscMap::Entry> entries;
    bool learnFlag = false;
    {
        Guard guard(lock);
        entries.reserve(map.GetNumEntries());
        for (std::size_t i = 0; i < map.GetNumEntries(); ++i)
            entries.push_back(map.GetEntry(i));
        learnFlag = map.IsMidiLearnOn();
    }
    std::size_t const n = entries.size();
    std::size_t const old = rows.size();
    if (n > old)
    {
        bool const learnActive = learningRow() >= 0;
        qev::Allocations::ResizeVector(rows, n);
        std::size_t i = old;
        try
        {
            for (; i < n; ++i)
            {
                rows[i] = std::make_unique<MidiOscMapOneController>(*this);
                auto& row = *rows[i];
                row.GetLearnToggle().AddListener(this);
                row.GetDeleteButton().addListener(this);
                // Colours belong to positions, so that they keep alternating whatever is deleted.
                row.SetBackgroundColour(juce::Colour(i % 2 == 0 ? evenRowColour : oddRowColour));
                // While another row learns, a new row cannot start learning either.
                row.GetLearnToggle().setEnabled(!learnActive);
                addAndMakeVisible(row);
            }
        }
        catch (...)
        {
            rows.resize(i);
            setSize(rowWidth, rowHeight * static_cast<int>(rows.size()));
            throw;
        }
    }
    else if (n < old)
    {
        for (std::size_t i = n; i < old; ++i)
            rows[i].reset();
        rows.resize(n);
    }
    if (n != old)
        setSize(rowWidth, rowHeight * static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i)
        rows[i]->Set(entries[i], false);
    // The learning row is gone (the table was cleared or reloaded): learning ends with it rather
    // than leave every toggle disabled.
    if (learnFlag && learningRow() < 0)
        stopLearning();
}

void MidiOscMapControllers::handleAsyncUpdate()
{
    update();
}

void MidiOscMapControllers::resized()
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i]->setBounds(0, rowHeight * static_cast<int>(i), rowWidth, rowHeight);
}

void MidiOscMapControllers::stopLearning()
{
    {
        Guard guard(lock);
        map.SetMidiLearn(false);
    }
    for (auto& row : rows)
    {
        row->GetLearnToggle().SetToggleState(false, false);
        row->GetLearnToggle().setEnabled(true);
        row->syncLearnState();
    }
}

void MidiOscMapControllers::removeEntry(std::size_t index)
{
    int const lit = learningRow();
    {
        Guard guard(lock);
        // The table may have shrunk on a host thread since the rows were last rewritten.
        if (index < map.GetNumEntries())
            map.RemoveEntry(index);
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
        rows[static_cast<std::size_t>(lit)]->syncLearnState();
        rows[static_cast<std::size_t>(lit) - 1]->syncLearnState();
    }
    update();
}

void MidiOscMapControllers::buttonClicked(juce::Button* button)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (&rows[i]->GetDeleteButton() == button)
        {
            removeEntry(i);
            return;
        }
    }
    bool const isLearnToggle = std::any_of(
        rows.begin(), rows.end(), [button](auto const& row) { return &row->GetLearnToggle() == button; });
    if (!isLearnToggle)
        return;
    bool const state = button->getToggleState();
    {
        Guard guard(lock);
        map.SetMidiLearn(state);
    }
    for (auto& row : rows)
    {
        auto& toggle = row->GetLearnToggle();
        if (state)
        {
            if (&toggle != button)
            {
                toggle.SetToggleState(false, false);
                toggle.setEnabled(false);
            }
        }
        else
        {
            toggle.setEnabled(true);
        }
        row->syncLearnState();
    }
}

} // namespace widgets
