#include "common/QevMaxConsoleNotifier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qev::MaxConsoleNotifier;
using qev::String;
using qev::StringArray;

namespace
{

struct Heard
{
    std::string listener;
    int kind;
    std::string text;
    bool operator==(Heard const& other) const
    {
        return listener == other.listener && kind == other.kind && text == other.text;
    }
};

// Every listener writes into one shared log, so the order across listeners shows too.
class Recorder : public MaxConsoleNotifier::Listener
{
public:
    Recorder(std::string name_, std::vector<Heard>& log_, MaxConsoleNotifier const*& lastSender_)
        : name(std::move(name_)), log(log_), lastSender(lastSender_)
    {
    }
    void ConsoleNotificationReceived(MaxConsoleNotifier const* sender,
                                     MaxConsoleNotifier::Notification const& kind,
                                     String const& text) override
    {
        lastSender = sender;
        log.push_back({name, static_cast<int>(kind), text.GetCString()});
    }

private:
    std::string name;
    std::vector<Heard>& log;
    MaxConsoleNotifier const*& lastSender;
};

class ConsoleNotifierTest : public ::testing::Test
{
protected:
    std::vector<Heard> log;
    MaxConsoleNotifier const* lastSender = nullptr;
    Recorder a{"a", log, lastSender};
    Recorder b{"b", log, lastSender};
    MaxConsoleNotifier notifier;
};

StringArray lines(std::vector<char const*> const& texts)
{
    StringArray array;
    for (auto const* text : texts)
        array.PushBack(String(text));
    return array;
}

} // namespace

TEST_F(ConsoleNotifierTest, NullAndDuplicateListenersAreIgnored)
{
    notifier.AddMaxConsoleListener(nullptr);
    notifier.AddMaxConsoleListener(&a);
    notifier.AddMaxConsoleListener(&a);
    notifier.SendMessage(String("once"));
    EXPECT_EQ(log, (std::vector<Heard>{{"a", 0, "once"}}));
    EXPECT_EQ(lastSender, &notifier);
}

TEST_F(ConsoleNotifierTest, RemovalTakesTheListenerOutAndIgnoresStrangers)
{
    notifier.AddMaxConsoleListener(&a);
    notifier.AddMaxConsoleListener(&b);
    notifier.RemoveMaxConsoleListener(nullptr);
    Recorder stranger{"c", log, lastSender};
    notifier.RemoveMaxConsoleListener(&stranger);
    notifier.RemoveMaxConsoleListener(&a);
    notifier.SendError(String("e"));
    EXPECT_EQ(log, (std::vector<Heard>{{"b", 2, "e"}}));
    // Adding again puts it at the end.
    notifier.AddMaxConsoleListener(&a);
    log.clear();
    notifier.Send(MaxConsoleNotifier::Notification::Warning, String("w"));
    EXPECT_EQ(log, (std::vector<Heard>{{"b", 1, "w"}, {"a", 1, "w"}}));
}

TEST_F(ConsoleNotifierTest, ArraysGoLineByLineToEveryListener)
{
    notifier.SendMessage(lines({"unheard"}));
    EXPECT_TRUE(log.empty());
    notifier.AddMaxConsoleListener(&a);
    notifier.AddMaxConsoleListener(&b);
    notifier.SendMessage(StringArray());
    EXPECT_TRUE(log.empty());
    notifier.SendMessage(lines({"one", "", "three"}));
    EXPECT_EQ(log, (std::vector<Heard>{{"a", 0, "one"},
                                       {"b", 0, "one"},
                                       {"a", 0, ""},
                                       {"b", 0, ""},
                                       {"a", 0, "three"},
                                       {"b", 0, "three"}}));
}

TEST_F(ConsoleNotifierTest, ListenerRemovingItselfDuringASendDoesNotCrash)
{
    class SelfRemover : public MaxConsoleNotifier::Listener
    {
    public:
        explicit SelfRemover(MaxConsoleNotifier& owner_) : owner(owner_) {}
        void ConsoleNotificationReceived(MaxConsoleNotifier const*, MaxConsoleNotifier::Notification const&,
                                         String const&) override
        {
            ++calls;
            owner.RemoveMaxConsoleListener(this);
        }
        MaxConsoleNotifier& owner;
        int calls = 0;
    } remover(notifier);
    notifier.AddMaxConsoleListener(&remover);
    notifier.AddMaxConsoleListener(&a);
    notifier.SendMessage(lines({"1", "2"}));
    EXPECT_EQ(remover.calls, 1);
    EXPECT_FALSE(log.empty());
}
