#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsOscSnapshotOneRow.h"
#include "memory/QevOwnedVector.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscSnapshotManager.h"
#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <exception>
#include <functional>

namespace widgets
{

// The scrolled list of the snapshot panel: it owns the snapshots of one OSC-controlled object
// (the target, which must outlive it) and one row per snapshot, row i always showing snapshot i.
// A new list holds one empty snapshot. Message thread only.
class OscSnapshotRows : public qgui::Component, private juce::Button::Listener
{
public:
    static constexpr int rowWidth = 450;
    static constexpr int rowHeight = 22;
    static constexpr juce::uint32 evenRowColour = 0xFFEDF3FE;
    static constexpr juce::uint32 oddRowColour = 0xFFFFFFFF;

    // Asks the user for the file to export to and calls back with it, at once or later on the
    // message thread; a cancelled dialog never calls back. Empty means the framework's own save
    // dialog.
    using ExportDialog = std::function<void(std::function<void(juce::File const&)> chosen)>;

    explicit OscSnapshotRows(qev::OscInterface& target);
    ~OscSnapshotRows() override;

    void mouseDown(juce::MouseEvent const& event) override;
    void resized() override;

    // Brings the rows in line with the snapshots: rows are added or deleted at the end only, then
    // every row is refilled from its snapshot without notification.
    void Update();

    qev::OscSnapshotManager& GetManager() noexcept { return manager; }
    qev::OscSnapshotManager const& GetManager() const noexcept { return manager; }
    qev::OscInterface& GetTarget() noexcept { return target; }

    unsigned long GetNumRows() const noexcept { return rows.GetSize(); }
    // index must be below GetNumRows().
    OscSnapshotOneRow& GetRow(unsigned long index) const noexcept { return *rows[index]; }
    // The row's position in the list, or -1.
    long IndexOf(OscSnapshotOneRow const* row) const noexcept;

    // Every row's title editor text becomes its snapshot's title. The editors tell their
    // listeners only later, so each operation calls this first: rows and snapshots agree
    // between operations, and a title typed just before a click is never refilled away.
    void StoreAllTitles();

    void SetExportDialog(ExportDialog dialog) { exportDialog = std::move(dialog); }
    ExportDialog const& GetExportDialog() const noexcept { return exportDialog; }

    // Failures of the panel's operations go to the target's console listeners.
    void ReportError(qev::String const& operation, std::exception const& e) const;

private:
    void buttonClicked(juce::Button* button) override;

    qev::OscInterface& target;
    qev::OscSnapshotManager manager;
    qev::OwnedVector<OscSnapshotOneRow> rows;
    ExportDialog exportDialog;

    JUCE_DECLARE_NON_COPYABLE(OscSnapshotRows)
};

} // namespace widgets
