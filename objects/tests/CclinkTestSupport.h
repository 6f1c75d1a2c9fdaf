#pragma once

// The real bundle loaded into the test process through the stand-in host, once per process, with
// a listener that writes what the host would show as the `maxhost` program does.

#include "HostProtocol.h"
#include "HostTestSupport.h"
#include "LibloTestSupport.h"
#include "maxhost_control.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <lo/lo.h>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace cclinktest
{

// The messages liblo finds in a packet, one line each: two blanks, address, tags, values.
inline std::vector<std::string> libloDecode(void const* data, std::size_t size)
{
    return hosttest::LibloLines(data, size, "(refused by liblo)",
                                [](char const* path, char const* types, lo_arg** argv, int argc)
                                {
                                    std::string line = std::string("  ") + path + " " + types;
                                    for (int i = 0; i < argc; ++i)
                                    {
                                        if (types[i] == 'f')
                                        {
                                            float v;
                                            std::memcpy(&v, argv[i], sizeof v);
                                            line += " " + maxhost::FormatFloat(v);
                                        }
                                    }
                                    return line;
                                });
}

class Capture : public hosttest::LineCapture
{
public:
    void Outlet(object*, int index, symbol* selector, long argc, atom const* argv) override
    {
        std::string line = hosttest::OutletPrefix(index);
        std::vector<std::string> decoded;
        if (std::strcmp(selector->s_name, "FullPacket") == 0 && argc == 2)
        {
            // Read during the call, as a receiver must; the address itself is of no interest.
            auto const size = static_cast<std::size_t>(argv[0].a_w.w_long);
            auto const* const data =
                reinterpret_cast<void const*>(static_cast<std::uintptr_t>(argv[1].a_w.w_long));
            line += "FullPacket " + std::to_string(size);
            decoded = libloDecode(data, size);
        }
        else
            line += maxhost::FormatMessage(selector, argc, argv);
        std::lock_guard<std::mutex> const guard(lock);
        if (index == 2)
            dumpoutUsed = true;
        lines.push_back(line);
        lines.insert(lines.end(), decoded.begin(), decoded.end());
    }
    void Console(object* owner, bool isError, char const* text) override
    {
        std::lock_guard<std::mutex> const guard(lock);
        lines.push_back(hosttest::ConsoleLine(isError, text));
        owners.push_back(owner);
    }

    std::vector<object*> TakeOwners()
    {
        std::lock_guard<std::mutex> const guard(lock);
        std::vector<object*> taken;
        taken.swap(owners);
        return taken;
    }
    bool DumpoutUsed() const
    {
        std::lock_guard<std::mutex> const guard(lock);
        return dumpoutUsed;
    }

private:
    void TookLines() override { owners.clear(); }

    std::vector<object*> owners;
    bool dumpoutUsed = false;
};

// The bundle, loaded once per process and shut down when the test program ends, as the host
// would at quit. The test framework owns the instance.
class Session : public ::testing::Environment
{
public:
    static Session& Get()
    {
        static Session* const session = new Session;
        return *session;
    }

    void SetUp() override { Load(); }
    void TearDown() override
    {
        if (!loaded)
            return;
        bundle.Shutdown();
        maxhost::SetListener(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(dataFolder, ignored);
    }

    void Load()
    {
        if (loaded)
            return;
        maxhost::SetMainThread();
        maxhost::SetListener(&capture);
        // Files replaced by "export" go to the trash: a trash of the tests' own, not the user's.
        std::string pattern = (std::filesystem::temp_directory_path() / "cclink-data-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dataFolder = pattern;
        setenv("XDG_DATA_HOME", pattern.c_str(), 1);
        std::string error;
        ASSERT_TRUE(bundle.Load(CCLINK_BUNDLE, error)) << error;
        loaded = true;
        cclass = maxhost::FindClass("trov5.cclink");
        ASSERT_NE(cclass, nullptr);
        startUpLines = capture.Take();
    }

    // Whether the bundle's editor can go on screen, found out once with an object of its own.
    bool HasDisplay()
    {
        if (displayKnown)
            return display;
        object* const probe = maxhost::NewObject(cclass);
        if (probe == nullptr)
            return false;
        symbol* const open = gensym("open");
        maxhost::SendMessage(probe, open, 0, nullptr);
        std::vector<std::string> const answer = capture.Take();
        display = answer.empty();
        displayKnown = true;
        maxhost::FreeObject(probe);
        maxhost::RunMainThreadTasks();
        bundle.Idle();
        capture.Take();
        return display;
    }

    maxhost::Bundle bundle;
    Capture capture;
    maxclass* cclass = nullptr;
    std::vector<std::string> startUpLines;
    bool loaded = false;
    std::filesystem::path dataFolder;
    bool displayKnown = false;
    bool display = false;
};

inline ::testing::Environment* const registeredSession = ::testing::AddGlobalTestEnvironment(&Session::Get());

inline atom toAtom(maxhost::Token const& t)
{
    atom a{};
    switch (t.kind)
    {
    case maxhost::Token::Kind::Long:
        atom_setlong(&a, t.longValue);
        break;
    case maxhost::Token::Kind::Float:
        atom_setfloat(&a, t.floatValue);
        break;
    case maxhost::Token::Kind::Symbol:
        atom_setsym(&a, gensym(t.text.c_str()));
        break;
    case maxhost::Token::Kind::Semicolon:
        a.a_type = A_SEMI;
        break;
    case maxhost::Token::Kind::Comma:
        a.a_type = A_COMMA;
        break;
    case maxhost::Token::Kind::Dollar:
        a.a_type = A_DOLLAR;
        a.a_w.w_long = t.longValue;
        break;
    case maxhost::Token::Kind::DollarSymbol:
        a.a_type = A_DOLLSYM;
        a.a_w.w_sym = gensym(t.text.c_str());
        break;
    }
    return a;
}

// One host message from a line of the stand-in's protocol; a line starting with a number is a
// list.
struct Message
{
    explicit Message(std::string const& text)
    {
        maxhost::ParsedLine const line = maxhost::ParseLine(text);
        EXPECT_EQ(line.kind, maxhost::ParsedLine::Kind::Message) << text;
        if (line.tokens.empty())
            return;
        auto const& first = line.tokens.front();
        bool const list =
            first.kind == maxhost::Token::Kind::Long || first.kind == maxhost::Token::Kind::Float;
        selector = list ? gensym("list") : gensym(first.text.c_str());
        for (std::size_t i = list ? 0 : 1; i < line.tokens.size(); ++i)
            atoms.push_back(toAtom(line.tokens[i]));
    }

    symbol* selector = nullptr;
    std::vector<atom> atoms;
};

// A folder of its own for one test, removed afterwards.
struct TemporaryFolder
{
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "cclink-XXXXXX").string();
        char* const made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(std::string const& name) const { return (path / name).string(); }

    std::filesystem::path path;
};

inline std::string readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(std::string const& path, std::string const& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string examplePath(std::string const& name)
{
    return std::string(CCLINK_EXAMPLES) + "/" + name;
}

// One object of the class for the duration of a test. Messages are delivered as the `maxhost`
// program delivers a line: on the chosen thread, then the main thread's pending work and the
// GUI's turn.
class CclinkFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Session& session = Session::Get();
        session.Load();
        ASSERT_NE(session.cclass, nullptr);
        x = maxhost::NewObject(session.cclass);
        ASSERT_NE(x, nullptr);
        capture().Take();
    }

    void TearDown() override
    {
        if (x != nullptr)
            maxhost::FreeObject(x);
        maxhost::RunMainThreadTasks();
        Session::Get().bundle.Idle();
        maxhost::ClearDialogAnswers();
        EXPECT_FALSE(capture().DumpoutUsed()) << "dumpout never outputs";
        capture().Take();
    }

    static Capture& capture() { return Session::Get().capture; }

    // Delivers the message on the calling thread, nothing more.
    void deliver(std::string const& text, object* to = nullptr)
    {
        Message message(text);
        maxhost::SendMessage(to != nullptr ? to : x, message.selector,
                             static_cast<long>(message.atoms.size()), message.atoms.data());
    }

    void deliverOnScheduler(std::string const& text)
    {
        scheduler.Run([&] { deliver(text); });
    }

    // A whole protocol line: the message, then what the main thread has pending, then the GUI.
    std::vector<std::string> send(std::string const& text)
    {
        deliver(text);
        settle();
        return capture().Take();
    }

    void settle()
    {
        maxhost::RunMainThreadTasks();
        Session::Get().bundle.Idle();
    }

    std::vector<std::string> load(std::string const& path)
    {
        return send("load " + maxhost::FormatSymbol(path));
    }

    object* x = nullptr;
    maxhost::SchedulerThread scheduler;
};

using Lines = std::vector<std::string>;

} // namespace cclinktest
