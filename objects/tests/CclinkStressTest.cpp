// One object under load from two threads: the scheduler thread sends lists, OSC and "bang" without
// pause while the main thread loads and saves files, clears, opens and closes the editor (when
// there is a display) and lets refreshes run. Built alone under ThreadSanitizer, which must stay
// silent; the checks here catch torn packets and lost or corrupted output.

#include "CclinkTestSupport.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace cclinktest;

namespace
{

// Counts instead of keeping lines: millions of messages pass.
class Counter : public maxhost::Listener
{
public:
    void Outlet(object*, int index, symbol* selector, long argc, atom const* argv) override
    {
        if (index == 0 && std::strcmp(selector->s_name, "FullPacket") == 0 && argc == 2)
        {
            // The packet is read during the call, as a receiver must; a torn one shows here.
            auto const size = argv[0].a_w.w_long;
            auto const* const bytes =
                reinterpret_cast<unsigned char const*>(static_cast<std::uintptr_t>(argv[1].a_w.w_long));
            if (size != 72 || std::memcmp(bytes, "#bundle", 8) != 0)
                ++badPackets;
            ++packets;
        }
        else if (index == 0)
            ++oscMessages;
        else if (index == 1 && argc == 3)
            ++midiLists;
        else
            ++unexpected;
    }
    void Console(object*, bool isError, char const* text) override
    {
        if (isError)
        {
            std::lock_guard<std::mutex> const guard(lock);
            errors.emplace_back(text);
        }
    }
    void HostNote(char const*) override {}

    std::atomic<long> packets{0}, badPackets{0}, oscMessages{0}, midiLists{0}, unexpected{0};
    std::mutex lock;
    std::vector<std::string> errors;
};

double stressSeconds()
{
    char const* const text = std::getenv("CCLINK_STRESS_SECONDS");
    double const seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 3.0;
}

TEST(CclinkStress, HostThreadAndMainThreadShareOneObjectSafely)
{
    Session& session = Session::Get();
    session.Load();
    ASSERT_NE(session.cclass, nullptr);
    bool const display = session.HasDisplay();
    object* const x = maxhost::NewObject(session.cclass);
    ASSERT_NE(x, nullptr);

    TemporaryFolder folder;
    std::string const mappings = examplePath("shared-controller.xml");
    std::string const saved = folder / "saved.xml";
    Counter counter;
    maxhost::SetListener(&counter);

    std::atomic<bool> stop{false};
    std::atomic<long> rounds{0};
    std::thread host(
        [&]
        {
            Message const list("127 8 1");
            Message const osc("/track/2/send 0.5");
            Message const bang("bang");
            while (!stop.load())
            {
                for (Message const* m : {&list, &osc, &list, &bang})
                {
                    std::vector<atom> atoms = m->atoms;
                    maxhost::SendMessage(x, m->selector, static_cast<long>(atoms.size()), atoms.data());
                }
                ++rounds;
            }
        });

    auto const until = std::chrono::steady_clock::now() + std::chrono::duration<double>(stressSeconds());
    long mainRounds = 0;
    auto sendMain = [&](std::string const& text)
    {
        Message m(text);
        maxhost::SendMessage(x, m.selector, static_cast<long>(m.atoms.size()), m.atoms.data());
    };
    while (std::chrono::steady_clock::now() < until)
    {
        sendMain("load " + maxhost::FormatSymbol(mappings));
        maxhost::RunMainThreadTasks();
        if (display)
            sendMain(mainRounds % 2 == 0 ? "open" : "wclose");
        // A file replaced would go to the trash; a fresh one each round keeps it empty.
        std::filesystem::remove(saved);
        sendMain("export " + maxhost::FormatSymbol(saved));
        maxhost::RunMainThreadTasks();
        session.bundle.Idle();
        sendMain("clear");
        sendMain("load " + maxhost::FormatSymbol(saved));
        for (int i = 0; i < 5; ++i)
        {
            maxhost::RunMainThreadTasks();
            session.bundle.Idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ++mainRounds;
    }
    stop.store(true);
    host.join();
    maxhost::RunMainThreadTasks();
    session.bundle.Idle();
    maxhost::FreeObject(x);
    maxhost::RunMainThreadTasks();
    maxhost::SetListener(&session.capture);

    EXPECT_GT(rounds.load(), 100);
    EXPECT_GT(mainRounds, 10);
    EXPECT_GT(counter.packets.load(), 0);
    EXPECT_GT(counter.midiLists.load(), 0);
    EXPECT_EQ(counter.badPackets.load(), 0);
    EXPECT_EQ(counter.unexpected.load(), 0);
    EXPECT_TRUE(counter.errors.empty()) << counter.errors.front();
}

} // namespace
