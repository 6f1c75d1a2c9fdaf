#pragma once

#include "memory/QevOwnedVector.h"
#include "osc/QevOscBundle.h"
#include "text/QevString.h"

namespace qev
{

class OscInterface;

// Numbered, titled copies of one OSC-controlled object's state, held in memory only. Storing
// copies the object's current state; recalling replays it through the object's bundle
// processing with message flag 0. Snapshots are addressed by their position, from 0; every
// operation taking an index throws qev::Exception for an index past the last snapshot. The
// owner is not owned and must outlive the manager.
class OscSnapshotManager
{
public:
    struct OneSnapshot
    {
        String title{"untitled"};
        OscBundle content;
    };

    explicit OscSnapshotManager(OscInterface& owner) noexcept;
    OscSnapshotManager(OscSnapshotManager const&) = delete;
    OscSnapshotManager& operator=(OscSnapshotManager const&) = delete;
    ~OscSnapshotManager();

    // Appends a snapshot titled "untitled" with an empty content.
    void AddNewSnapshot();
    // Replaces the snapshot's content by the owner's current state; the title stays. When the
    // owner fails to give its state, the snapshot is left as it was.
    void StoreSnaphot(unsigned long index);
    // Hands a copy of the snapshot's content to the owner with flag 0; messages the owner does
    // not handle are reported by the owner itself.
    void RecallSnaphot(unsigned long index);

    OneSnapshot const& GetSnapshot(unsigned long index) const;
    void SetSnapshotTitle(unsigned long index, String const& title);
    OscBundle const& GetSnapshotContent(unsigned long index) const;
    // Later snapshots move down by one. Always true.
    bool RemoveSnapshot(unsigned long index);
    unsigned long GetNumSnapshots() const noexcept { return snapshots.GetSize(); }

private:
    OneSnapshot& checkedSnapshot(unsigned long index) const;

    OscInterface& owner;
    OwnedVector<OneSnapshot> snapshots;
};

} // namespace qev
