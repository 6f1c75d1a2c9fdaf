// The stand-in host in process: what bundles rely on, and what the host refuses.

#include "HostProtocol.h"
#include "HostTestSupport.h"
#include "maxhost_control.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

struct Record
{
    object header;
    outlet* outlets[3];
    qelem* element;
    atom_long value;
    int taskRuns;
    bool freeElement;
};

maxclass* recordClass = nullptr;

// Collects everything the host reports as text lines.
struct Capture : hosttest::LineCapture
{
    Capture() { maxhost::SetListener(this); }
    ~Capture() override { maxhost::SetListener(nullptr); }

    void Outlet(object*, int index, symbol* selector, long argc, atom const* argv) override
    {
        Add(hosttest::OutletPrefix(index) + maxhost::FormatMessage(selector, argc, argv));
    }
    void Console(object*, bool isError, char const* text) override
    {
        Add(hosttest::ConsoleLine(isError, text));
    }
};

void recordTask(Record* x)
{
    ++x->taskRuns;
}

void* recordNew(symbol*, short argc, atom* argv)
{
    auto* const x = static_cast<Record*>(object_alloc(recordClass));
    if (argc > 0 && atom_getsym(argv) == gensym("fail"))
    {
        // Half made, then given up: the host takes the record and its queue element back.
        qelem_set(qelem_new(x, reinterpret_cast<method>(recordTask)));
        return nullptr;
    }
    object_obex_store(x, gensym("dumpout"), static_cast<object*>(outlet_new(x, nullptr)));
    x->outlets[1] = outlet_new(x, nullptr);
    x->outlets[0] = outlet_new(x, nullptr);
    x->element = qelem_new(x, reinterpret_cast<method>(recordTask));
    x->freeElement = true;
    return x;
}

void recordFree(Record* x)
{
    if (x->freeElement)
        qelem_free(x->element);
}

void recordAnything(Record* x, symbol* s, long argc, atom* argv)
{
    outlet_anything(x->outlets[0], s, static_cast<short>(argc), argv);
}

void recordBang(Record* x)
{
    outlet_list(x->outlets[1], nullptr, 0, nullptr);
}

void recordAssist(Record*, void*, long io, long index, char* text)
{
    std::snprintf(text, HOST_FILENAME_CHARS, "%s %ld", io == 1 ? "in" : "out", index);
}

void recordDeferred(Record* x, symbol* s, long argc, atom* argv)
{
    object_post(&x->header, "deferred on main %d", systhread_ismainthread());
    outlet_anything(x->outlets[0], s, static_cast<short>(argc), argv);
}

template <typename F> method asMethod(F f)
{
    return reinterpret_cast<method>(f);
}

class HostApi : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (recordClass != nullptr)
            return;
        maxclass* const c = class_new("apitest", asMethod(recordNew), asMethod(recordFree), sizeof(Record),
                                      nullptr, A_GIMME, 0);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(class_addmethod(c, asMethod(recordAnything), "anything", A_GIMME, 0), 0);
        EXPECT_EQ(class_addmethod(c, asMethod(recordBang), "bang", 0), 0);
        EXPECT_EQ(class_addmethod(c, asMethod(recordAssist), "assist", A_CANT, 0), 0);
        object* const attribute =
            attr_offset_new("value", gensym("long"), 0, nullptr, nullptr, offsetof(Record, value));
        EXPECT_EQ(class_addattr(c, attribute), 0);
        EXPECT_EQ(attr_addfilter_clip(class_attr_get(c, gensym("value")), 0.0, 1.0, 1, 1), 0);
        EXPECT_EQ(object_method(attribute, gensym("gettype")), gensym("long"));
        EXPECT_EQ(class_attr_addattr_parse(c, "value", "default", gensym("long"), 0x4000000, "1"), 0);
        EXPECT_EQ(class_register(gensym("box"), c), 0);
        recordClass = c;
    }

    void SetUp() override { maxhost::ClearDialogAnswers(); }

    void TearDown() override
    {
        for (object* x : made)
            maxhost::FreeObject(x);
        maxhost::RunMainThreadTasks();
    }

    Record* make()
    {
        object* const x = maxhost::NewObject(recordClass);
        made.push_back(x);
        return reinterpret_cast<Record*>(x);
    }

    Capture capture;
    std::vector<object*> made;
};

} // namespace

TEST_F(HostApi, SymbolsAreUniquePerTextAcrossThreads)
{
    std::vector<std::vector<symbol*>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back(
            [&seen, t]
            {
                for (int i = 0; i < 500; ++i)
                    seen[t].push_back(gensym(("name" + std::to_string(i)).c_str()));
            });
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t t = 1; t < seen.size(); ++t)
        EXPECT_EQ(seen[t], seen[0]);
    EXPECT_STREQ(seen[0][7]->s_name, "name7");
    EXPECT_EQ(gensym(nullptr), gensym(""));
}

TEST_F(HostApi, EachNewOutletLandsLeftOfTheEarlierOnes)
{
    Record* const x = make();
    object* const o = &x->header;
    EXPECT_EQ(maxhost::GetOutletCount(o), 3);
    EXPECT_EQ(maxhost::GetOutletIndex(o, x->outlets[0]), 0);
    EXPECT_EQ(maxhost::GetOutletIndex(o, x->outlets[1]), 1);
    EXPECT_EQ(maxhost::GetOutletIndex(o, maxhost::GetObexValue(o, gensym("dumpout"))), 2);
    EXPECT_EQ(maxhost::GetObexValue(o, gensym("other")), nullptr);
    recordBang(x);
    EXPECT_EQ(capture.Take(), std::vector<std::string>{"outlet 1: list"});
}

TEST_F(HostApi, AttributeStartsAtItsDefaultAndIsClipped)
{
    Record* const x = make();
    EXPECT_EQ(x->value, 1);
    struct Case
    {
        atom value;
        atom_long stored;
    };
    auto longAtom = [](atom_long v)
    {
        atom a{};
        atom_setlong(&a, v);
        return a;
    };
    auto floatAtom = [](double v)
    {
        atom a{};
        atom_setfloat(&a, v);
        return a;
    };
    Case const cases[] = {
        {longAtom(0), 0},
        {longAtom(5), 1},
        {longAtom(std::numeric_limits<atom_long>::min()), 0},
        {floatAtom(0.9), 0},
        {floatAtom(1.5), 1},
        {floatAtom(-1e300), 0},
        {floatAtom(std::nan("")), 0},
        {longAtom(1), 1},
    };
    for (Case c : cases)
    {
        EXPECT_TRUE(maxhost::SendMessage(&x->header, gensym("value"), 1, &c.value));
        atom_long read = -1;
        EXPECT_TRUE(maxhost::GetAttribute(&x->header, gensym("value"), read));
        EXPECT_EQ(read, c.stored) << maxhost::FormatAtom(c.value);
    }
    atom symbolValue{};
    atom_setsym(&symbolValue, gensym("x"));
    EXPECT_FALSE(maxhost::SendMessage(&x->header, gensym("value"), 1, &symbolValue));
    EXPECT_FALSE(maxhost::SendMessage(&x->header, gensym("value"), 0, nullptr));
    EXPECT_EQ(x->value, 1);
}

TEST_F(HostApi, RefusesWhatItCannotServe)
{
    EXPECT_EQ(class_new("small", asMethod(recordNew), nullptr, 2, nullptr, A_GIMME, 0), nullptr);
    EXPECT_EQ(class_new("typed", asMethod(recordNew), nullptr, sizeof(Record), nullptr, A_LONG, 0), nullptr);
    EXPECT_EQ(class_new(nullptr, asMethod(recordNew), nullptr, sizeof(Record), nullptr, A_GIMME, 0), nullptr);
    maxclass* const c =
        class_new("refusals", asMethod(recordNew), nullptr, sizeof(Record), nullptr, A_GIMME, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(class_addmethod(c, asMethod(recordBang), "typed", A_LONG, 0), 0);
    EXPECT_NE(class_addmethod(c, asMethod(recordBang), "two", A_GIMME, A_GIMME, 0), 0);
    EXPECT_NE(class_addmethod(c, nullptr, "none", 0), 0);
    EXPECT_EQ(attr_offset_new("f", gensym("float64"), 0, nullptr, nullptr, offsetof(Record, value)), nullptr);
    for (long offset : {0L, static_cast<long>(sizeof(Record)) - 4, static_cast<long>(sizeof(Record)), -8L})
        EXPECT_NE(class_addattr(c, attr_offset_new("out", gensym("long"), 0, nullptr, nullptr, offset)), 0)
            << offset;
    EXPECT_NE(class_attr_addattr_parse(c, "missing", "default", gensym("long"), 0, "1"), 0);
    EXPECT_NE(class_register(gensym("patcher"), c), 0);
    EXPECT_EQ(class_register(gensym("box"), c), 0);
    EXPECT_NE(class_register(gensym("box"), c), 0) << "a name is registered once";
    EXPECT_EQ(maxhost::FindClass("refusals"), c);
    EXPECT_EQ(maxhost::FindClass("small"), nullptr);
    EXPECT_EQ(object_alloc(nullptr), nullptr);

    Record* const x = make();
    atom a{};
    EXPECT_EQ(outlet_anything(x->outlets[0], nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(outlet_anything(x->outlets[0], gensym("a"), -1, &a), nullptr);
    EXPECT_EQ(outlet_anything(x->outlets[0], gensym("a"), 2, nullptr), nullptr);
    std::vector<std::string> const lines = capture.Take();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](std::string const& l) { return l.rfind("outlet", 0) == 0; }),
              0);
}

TEST_F(HostApi, DispatchesLikeTypedText)
{
    Record* const x = make();
    object* const o = &x->header;
    atom one{};
    atom_setlong(&one, 1);
    EXPECT_TRUE(maxhost::SendMessage(o, gensym("bang"), 1, &one)); // extra arguments are ignored
    EXPECT_TRUE(maxhost::SendMessage(o, gensym("/a/b"), 1, &one));
    EXPECT_TRUE(maxhost::SendMessage(o, gensym("list"), 1, &one)); // no "list" method: "anything"
    EXPECT_FALSE(maxhost::SendMessage(o, gensym("assist"), 0, nullptr));
    std::string text;
    EXPECT_TRUE(maxhost::Assist(o, 2, 5, text));
    EXPECT_EQ(text, "out 5");
    EXPECT_FALSE(maxhost::DoubleClick(o));
    EXPECT_EQ(capture.Take(),
              (std::vector<std::string>{"outlet 1: list", "outlet 0: /a/b 1", "outlet 0: list 1",
                                        "host: assist cannot be sent as a message"}));
}

TEST_F(HostApi, QueueElementRunsOnceOnTheMainThreadPerSet)
{
    Record* const x = make();
    std::thread(
        [x]
        {
            EXPECT_EQ(systhread_ismainthread(), 0);
            for (int i = 0; i < 3; ++i)
                qelem_set(x->element);
        })
        .join();
    EXPECT_EQ(x->taskRuns, 0);
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 1);
    std::thread([] { EXPECT_EQ(maxhost::RunMainThreadTasks(), 0); }).join();
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 1);
    EXPECT_EQ(x->taskRuns, 1);
    qelem_set(x->element);
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 1);
    EXPECT_EQ(x->taskRuns, 2);

    // A freed element never runs.
    qelem_set(x->element);
    qelem_free(x->element);
    x->freeElement = false;
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 0);
    EXPECT_EQ(x->taskRuns, 2);
}

TEST_F(HostApi, DeferredCallsRunLaterWithACopyOfTheMessage)
{
    Record* const x = make();
    std::thread(
        [x]
        {
            atom atoms[2];
            atom_setlong(&atoms[0], 7);
            atom_setsym(&atoms[1], gensym("seven"));
            defer_medium(x, asMethod(recordDeferred), gensym("later"), 2, atoms);
            atom_setlong(&atoms[0], 0);
            atom_setlong(&atoms[1], 0);
        })
        .join();
    EXPECT_TRUE(capture.Take().empty());
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 1);
    EXPECT_EQ(capture.Take(),
              (std::vector<std::string>{"post: deferred on main 1", "outlet 0: later 7 seven"}));
}

TEST_F(HostApi, FreeingAnObjectDropsItsPendingWork)
{
    Record* const x = reinterpret_cast<Record*>(maxhost::NewObject(recordClass));
    Record* const kept = make();
    x->freeElement = false; // its destructor forgets the element: the host releases it
    qelem_set(x->element);
    qelem_set(kept->element);
    defer_medium(x, asMethod(recordDeferred), gensym("gone"), 0, nullptr);
    defer_medium(kept, asMethod(recordDeferred), gensym("kept"), 0, nullptr);
    maxhost::FreeObject(&x->header);
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 2);
    EXPECT_EQ(kept->taskRuns, 1);
    EXPECT_EQ(capture.Take(), (std::vector<std::string>{"post: deferred on main 1", "outlet 0: kept"}));
    maxhost::FreeObject(&x->header);
    EXPECT_EQ(capture.Take(), std::vector<std::string>{"host: free: not an object of this host"});
}

TEST_F(HostApi, AFailedCreationGivesItsRecordBack)
{
    atom fail{};
    atom_setsym(&fail, gensym("fail"));
    EXPECT_EQ(maxhost::NewObject(recordClass, 1, &fail), nullptr);
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 0);
}

TEST_F(HostApi, ATaskThatRequeuesItselfCannotHoldTheMainThread)
{
    static qelem* element = nullptr;
    static int runs = 0;
    runs = 0;
    element = qelem_new(nullptr, asMethod(+[](void*)
                                          {
                                              ++runs;
                                              qelem_set(element);
                                          }));
    qelem_set(element);
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 64);
    EXPECT_EQ(runs, 64);
    qelem_free(element);
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 0);
}

TEST_F(HostApi, DialogsAnswerFromTheQueue)
{
    char name[HOST_FILENAME_CHARS] = {};
    char path[HOST_PATH_CHARS] = {};
    short folder = 0;
    long type = 0;
    long types[] = {0x54455854};
    EXPECT_NE(open_dialog(name, &folder, &type, nullptr, 0), 0) << "nothing queued: cancelled";

    maxhost::QueueDialogAnswer("/tmp/a/b.xml");
    maxhost::QueueDialogCancel();
    maxhost::QueueDialogAnswer("rel/c.txt");
    maxhost::QueueDialogAnswer("/tmp/" + std::string(HOST_FILENAME_CHARS, 'n'));
    maxhost::QueueDialogAnswer("/tmp/a/b.xml");

    ASSERT_EQ(saveasdialog_extended(name, &folder, &type, types, 1), 0);
    EXPECT_STREQ(name, "b.xml");
    EXPECT_EQ(type, types[0]);
    ASSERT_EQ(path_topotentialname(folder, name, path, 0), 0);
    EXPECT_STREQ(path, "/tmp/a/b.xml");
    short const firstFolder = folder;

    EXPECT_NE(open_dialog(name, &folder, &type, nullptr, 0), 0);

    ASSERT_EQ(open_dialog(name, &folder, &type, nullptr, 0), 0);
    ASSERT_EQ(path_topathname(folder, name, path), 0);
    char cwd[HOST_PATH_CHARS];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(path), std::string(cwd) + "/rel/c.txt");

    EXPECT_NE(open_dialog(name, &folder, &type, nullptr, 0), 0) << "a name that does not fit is refused";

    std::thread([&] { EXPECT_NE(open_dialog(name, &folder, &type, nullptr, 0), 0); }).join();
    ASSERT_EQ(open_dialog(name, &folder, &type, nullptr, 0), 0) << "the off-thread call took no answer";
    EXPECT_EQ(folder, firstFolder);

    EXPECT_NE(path_topathname(0, "x", path), 0);
    EXPECT_NE(path_topathname(32000, "x", path), 0);
    EXPECT_NE(path_topathname(folder, std::string(HOST_PATH_CHARS, 'x').c_str(), path), 0);
}

TEST_F(HostApi, AtomGettersConvert)
{
    atom a{};
    atom_setfloat(&a, -2.9);
    EXPECT_EQ(atom_getlong(&a), -2);
    atom_setfloat(&a, 1e300);
    EXPECT_EQ(atom_getlong(&a), std::numeric_limits<atom_long>::max());
    EXPECT_EQ(atom_getsym(&a), gensym(""));
    atom_setlong(&a, 3);
    EXPECT_EQ(atom_getfloat(&a), 3.0);
    atom_setsym(&a, nullptr);
    EXPECT_EQ(atom_getsym(&a), gensym(""));
    EXPECT_EQ(atom_getlong(nullptr), 0);
}

TEST_F(HostApi, BundleLoadsAndRegistersItsClasses)
{
    maxhost::Bundle bundle;
    std::string error;
    ASSERT_TRUE(bundle.Load(MAXHOST_TESTBUNDLE, error)) << error;
    EXPECT_TRUE(bundle.HasGuiHook());
    EXPECT_EQ(bundle.GetMainResult(), 0);
    EXPECT_NE(maxhost::FindClass("hosttest"), nullptr);
    EXPECT_FALSE(bundle.Load(MAXHOST_TESTBUNDLE, error));

    maxhost::Bundle missing;
    EXPECT_FALSE(missing.Load("/nonexistent/bundle.so", error));
    EXPECT_NE(error.find("bundle.so"), std::string::npos) << error;
    maxhost::Bundle empty;
    ASSERT_TRUE(empty.Load(MAXHOST_EMPTYBUNDLE, error)) << error;
    EXPECT_EQ(maxhost::FindClass("hostempty"), nullptr);
}

TEST_F(HostApi, MainAndSchedulerThreadsShareTheQueuesSafely)
{
    Record* const x = make();
    std::atomic<bool> stop{false};
    maxhost::SchedulerThread scheduler;
    std::thread sender(
        [&]
        {
            atom value = {};
            atom_setlong(&value, 1);
            while (!stop.load())
                scheduler.Run(
                    [&]
                    {
                        qelem_set(x->element);
                        defer_medium(x, asMethod(recordDeferred), gensym("tick"), 1, &value);
                        maxhost::SendMessage(&x->header, gensym("/tick"), 1, &value);
                    });
        });
    int ran = 0;
    for (int i = 0; i < 200; ++i)
    {
        ran += maxhost::RunMainThreadTasks();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    stop.store(true);
    sender.join();
    ran += maxhost::RunMainThreadTasks();
    EXPECT_GT(ran, 0);
    EXPECT_GT(x->taskRuns, 0);
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 0);
}
