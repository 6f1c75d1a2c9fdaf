#include "common/WidgetsOscSnapshotRows.h"

#include "memory/QevAlloc.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace widgets
{

OscSnapshotRows::OscSnapshotRows(qev::OscInterface& target_) : target(target_), manager(target_)
{
    manager.AddNewSnapshot();
    Update();
    setSize(rowWidth, 400);
}

OscSnapshotRows::~OscSnapshotRows()
{
    // The rows go while the snapshots they refer to still exist.
    rows.Clear();
}

long OscSnapshotRows::IndexOf(OscSnapshotOneRow const* row) const noexcept
{
    for (unsigned long i = 0; i < rows.GetSize(); ++i)
        if (rows[i] == row)
            return static_cast<long>(i);
    return -1;
}

void OscSnapshotRows::Update()
{
    auto const n = static_cast<std::uint32_t>(manager.GetNumSnapshots());
    auto const m = static_cast<std::uint32_t>(rows.GetSize());
    auto& slots = rows.GetStdVector();
    if (n > m)
    {
        qev::Allocations::ResizeVector(slots, n);
        std::uint32_t i = m;
        try
        {
            for (; i < n; ++i)
            {
                auto row = std::make_unique<OscSnapshotOneRow>(*this);
                delete slots[i];
                slots[i] = row.release();
                slots[i]->GetDeleteButton().addListener(this);
                // Colours belong to positions: a row keeps the colour it was made with.
                slots[i]->SetBackgroundColour(juce::Colour(i % 2 == 0 ? evenRowColour : oddRowColour));
                addAndMakeVisible(slots[i]);
            }
        }
        catch (...)
        {
            // The slots not filled are null; the list stays consistent with what was made.
            slots.resize(i);
            setSize(rowWidth, rowHeight * static_cast<int>(i));
            throw;
        }
    }
    else if (n < m)
    {
        for (std::uint32_t i = n; i < m; ++i)
        {
            auto* row = slots[i];
            slots[i] = nullptr;
            delete row;
        }
        slots.resize(n);
    }
    if (n != m)
        setSize(rowWidth, rowHeight * static_cast<int>(n));
    for (std::uint32_t i = 0; i < n; ++i)
        slots[i]->Set(manager.GetSnapshot(i), false);
}

void OscSnapshotRows::StoreAllTitles()
{
    auto const n = std::min(rows.GetSize(), manager.GetNumSnapshots());
    for (unsigned long i = 0; i < n; ++i)
    {
        auto const title = rows[i]->GetTitleEditor().GetText();
        if (title != manager.GetSnapshot(i).title)
            manager.SetSnapshotTitle(i, title);
    }
}

void OscSnapshotRows::ReportError(qev::String const& operation, std::exception const& e) const
{
    target.SendError(qev::String("snapshot ") + operation + ": " + e.what());
}

void OscSnapshotRows::mouseDown(juce::MouseEvent const&)
{
    juce::Component::unfocusAllComponents();
}

void OscSnapshotRows::resized()
{
    for (unsigned long i = 0; i < rows.GetSize(); ++i)
        rows[i]->setBounds(0, rowHeight * static_cast<int>(i), getWidth(), rowHeight);
}

void OscSnapshotRows::buttonClicked(juce::Button* button)
{
    for (unsigned long i = 0; i < rows.GetSize(); ++i)
    {
        if (&rows[i]->GetDeleteButton() != button)
            continue;
        try
        {
            StoreAllTitles();
            manager.RemoveSnapshot(i);
            Update();
        }
        catch (std::exception const& e)
        {
            ReportError("delete", e);
        }
        return;
    }
}

} // namespace widgets
