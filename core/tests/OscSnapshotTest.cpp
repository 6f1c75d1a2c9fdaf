#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscSnapshotManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using qev::MessageFlag;
using qev::OscBundle;
using qev::OscMessage;
using qev::OscSnapshotManager;
using qev::String;

namespace
{

OscBundle bundleOf(std::vector<char const*> const& lines)
{
    OscBundle bundle;
    for (auto const* line : lines)
        bundle.Add(OscMessage::CreateFromText(String(line)));
    return bundle;
}

// Handles everything but "/nope"; "/remove" removes snapshot 0 while a recall is under way.
class Target : public qev::OscInterface, public qev::MaxConsoleNotifier::Listener
{
public:
    Target() { AddMaxConsoleListener(this); }

    bool ProcessMessage(OscMessage const& message, MessageFlag const& flag) override
    {
        received.emplace_back(message.ToString().GetCString(), flag.GetValue());
        if (message.PatternMatches("/remove") && manager != nullptr)
            manager->RemoveSnapshot(0);
        return !message.PatternMatches("/nope");
    }

    OscBundle GetCurrentStateAsOscBundle() const override
    {
        if (failState)
            throw qev::Exception(String("no state"), qev::SourceLineInfo("OscSnapshotTest", 1), false, false);
        return state;
    }

    void ConsoleNotificationReceived(qev::MaxConsoleNotifier const*,
                                     qev::MaxConsoleNotifier::Notification const&,
                                     String const& text) override
    {
        reports.emplace_back(text.GetCString());
    }

    std::vector<std::pair<std::string, int>> received;
    std::vector<std::string> reports;
    OscBundle state;
    bool failState = false;
    OscSnapshotManager* manager = nullptr;
};

std::vector<std::string> titles(OscSnapshotManager const& manager)
{
    std::vector<std::string> result;
    for (unsigned long i = 0; i < manager.GetNumSnapshots(); ++i)
        result.emplace_back(manager.GetSnapshot(i).title.GetCString());
    return result;
}

} // namespace

TEST(OscSnapshot, StoreTitleRecallRemove)
{
    Target target;
    OscSnapshotManager manager(target);
    EXPECT_EQ(manager.GetNumSnapshots(), 0u);

    manager.AddNewSnapshot();
    EXPECT_EQ(titles(manager), std::vector<std::string>{"untitled"});
    EXPECT_TRUE(manager.GetSnapshotContent(0).IsEmpty());
    EXPECT_EQ(manager.GetSnapshotContent(0).GetTimeTag(), OscBundle::immediately);

    // An empty snapshot recalls as an empty bundle: nothing processed, nothing reported.
    manager.RecallSnaphot(0);
    EXPECT_TRUE(target.received.empty());
    EXPECT_TRUE(target.reports.empty());

    manager.SetSnapshotTitle(0, String("intro"));
    target.state = bundleOf({"/first 1"});
    manager.StoreSnaphot(0);
    target.state = bundleOf({"/a 1", "/nope", "/b \"x\""});
    target.state.AddNestedBundle(bundleOf({"/c"}));
    target.state.SetTimeTag(42);
    manager.StoreSnaphot(0);
    EXPECT_EQ(manager.GetSnapshotContent(0), target.state); // only the second state, time tag included
    EXPECT_EQ(titles(manager), std::vector<std::string>{"intro"});

    // Recall always passes flag 0; unhandled messages are the target's to report.
    target.state = OscBundle();
    manager.RecallSnaphot(0);
    EXPECT_EQ(target.received, (std::vector<std::pair<std::string, int>>{
                                   {"/a 1", 0}, {"/nope", 0}, {"/b \"x\"", 0}, {"/c", 0}}));
    EXPECT_EQ(target.reports, std::vector<std::string>{"when processing \"/nope\""});

    manager.AddNewSnapshot();
    manager.AddNewSnapshot();
    manager.SetSnapshotTitle(1, String("second"));
    manager.SetSnapshotTitle(2, String("third"));
    EXPECT_TRUE(manager.RemoveSnapshot(0));
    EXPECT_EQ(titles(manager), (std::vector<std::string>{"second", "third"}));
    EXPECT_TRUE(manager.GetSnapshotContent(0).IsEmpty());
    manager.AddNewSnapshot();
    manager.SetSnapshotTitle(2, String("fourth"));
    EXPECT_TRUE(manager.RemoveSnapshot(1));
    EXPECT_EQ(titles(manager), (std::vector<std::string>{"second", "fourth"}));
}

TEST(OscSnapshot, BadIndicesFailuresAndSelfChangesLeaveSnapshotsSound)
{
    auto const saved = qev::ConsoleLog::type;
    qev::ConsoleLog::type = -1;
    Target target;
    OscSnapshotManager manager(target);
    target.manager = &manager;
    manager.AddNewSnapshot();

    // Indices past the end are refused by every operation, and change nothing.
    std::vector<std::function<void()>> const outOfRange = {
        [&] { manager.StoreSnaphot(1); },
        [&] { manager.RecallSnaphot(1); },
        [&] { manager.GetSnapshot(1); },
        [&] { manager.SetSnapshotTitle(1, String("x")); },
        [&] { manager.GetSnapshotContent(5); },
        [&] { manager.RemoveSnapshot(static_cast<unsigned long>(-1)); },
    };
    for (std::size_t i = 0; i < outOfRange.size(); ++i)
        EXPECT_THROW(outOfRange[i](), qev::Exception) << "operation " << i;
    EXPECT_EQ(titles(manager), std::vector<std::string>{"untitled"});
    EXPECT_TRUE(target.received.empty());

    // A target that cannot give its state leaves the snapshot as it was.
    target.state = bundleOf({"/kept"});
    manager.StoreSnaphot(0);
    target.failState = true;
    EXPECT_THROW(manager.StoreSnaphot(0), qev::Exception);
    EXPECT_EQ(manager.GetSnapshotContent(0), bundleOf({"/kept"}));

    // Recalling a snapshot whose messages remove that very snapshot replays it whole.
    target.failState = false;
    target.state = bundleOf({"/remove", "/after 1", "/after 2"});
    manager.StoreSnaphot(0);
    manager.RecallSnaphot(0);
    EXPECT_EQ(manager.GetNumSnapshots(), 0u);
    EXPECT_EQ(target.received,
              (std::vector<std::pair<std::string, int>>{{"/remove", 0}, {"/after 1", 0}, {"/after 2", 0}}));
    qev::ConsoleLog::type = saved;
}
