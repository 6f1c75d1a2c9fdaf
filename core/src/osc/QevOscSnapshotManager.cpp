#include "osc/QevOscSnapshotManager.h"

#include "common/QevException.h"
#include "osc/QevOscInterface.h"

#include <memory>
#include <utility>

namespace qev
{

OscSnapshotManager::OscSnapshotManager(OscInterface& owner_) noexcept : owner(owner_) {}

OscSnapshotManager::~OscSnapshotManager() = default;

OscSnapshotManager::OneSnapshot& OscSnapshotManager::checkedSnapshot(unsigned long index) const
{
    // The panel's rows and the list can disagree for a moment; a stale index must not reach
    // memory that is no longer a snapshot.
    if (index >= snapshots.GetSize() || snapshots[index] == nullptr)
        throw Exception(String("no snapshot at index ") + String(index) + " (there are " +
                            String(snapshots.GetSize()) + " snapshots)",
                        SourceLineInfo("QevOscSnapshotManager", __LINE__), true, false);
    return *snapshots[index];
}

void OscSnapshotManager::AddNewSnapshot()
{
    auto snapshot = std::make_unique<OneSnapshot>();
    snapshots.PushBack(snapshot.get());
    snapshot.release();
}

void OscSnapshotManager::StoreSnaphot(unsigned long index)
{
    auto& snapshot = checkedSnapshot(index);
    // The state is complete before the snapshot is touched, so a failing owner changes nothing.
    OscBundle state = owner.GetCurrentStateAsOscBundle();
    snapshot.content = std::move(state);
}

void OscSnapshotManager::RecallSnaphot(unsigned long index)
{
    // A copy: processing the messages may change or remove this very snapshot.
    OscBundle const content = checkedSnapshot(index).content;
    owner.processBundle(content, MessageFlag(MessageFlag::snapshotRecall));
}

OscSnapshotManager::OneSnapshot const& OscSnapshotManager::GetSnapshot(unsigned long index) const
{
    return checkedSnapshot(index);
}

void OscSnapshotManager::SetSnapshotTitle(unsigned long index, String const& title)
{
    checkedSnapshot(index).title = title;
}

OscBundle const& OscSnapshotManager::GetSnapshotContent(unsigned long index) const
{
    return checkedSnapshot(index).content;
}

bool OscSnapshotManager::RemoveSnapshot(unsigned long index)
{
    checkedSnapshot(index);
    snapshots.DeleteAndRemove(index);
    return true;
}

} // namespace qev
