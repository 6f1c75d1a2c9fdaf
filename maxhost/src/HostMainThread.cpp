// The host's main thread: queue elements, deferred calls, and the scheduler thread's stand-in.

#include "HostState.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <sys/eventfd.h>

struct qelem
{
    void* owner = nullptr;
    method task = nullptr;
    bool set = false;     // queued and not yet run
    bool running = false; // its task is running now
    bool freed = false;   // freed while running: the runner deletes it
};

namespace
{

struct Task
{
    qelem* element = nullptr; // a queue element, or else a deferred call:
    void* owner = nullptr;
    method fn = nullptr;
    symbol* selector = nullptr;
    std::vector<atom> atoms;
};

struct MainQueue
{
    std::mutex lock;
    std::deque<Task> tasks;
    std::vector<qelem*> elements; // every live queue element
    int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);

    // Called with the queue locked.
    void push(Task&& task)
    {
        tasks.push_back(std::move(task));
        eventfd_write(wake, 1);
    }
};

MainQueue& mainQueue()
{
    static MainQueue* const queue = new MainQueue;
    return *queue;
}

std::atomic<std::thread::id>& mainThreadId()
{
    static std::atomic<std::thread::id> id{std::this_thread::get_id()};
    return id;
}

// The thread that loads the host library is its main thread until told otherwise.
[[maybe_unused]] bool const mainThreadKnown = []
{
    mainThreadId();
    return true;
}();

void removeQueuedElement(MainQueue& queue, qelem* q)
{
    queue.tasks.erase(
        std::remove_if(queue.tasks.begin(), queue.tasks.end(), [q](Task const& t) { return t.element == q; }),
        queue.tasks.end());
}

// Called with the queue locked: deletes the element now, or lets its running task's runner do it.
void releaseElement(MainQueue& queue, qelem* q)
{
    removeQueuedElement(queue, q);
    queue.elements.erase(std::remove(queue.elements.begin(), queue.elements.end(), q), queue.elements.end());
    if (q->running)
        q->freed = true;
    else
        delete q;
}

void runOne(MainQueue& queue)
{
    std::unique_lock<std::mutex> guard(queue.lock);
    if (queue.tasks.empty())
        return;
    Task task = std::move(queue.tasks.front());
    queue.tasks.pop_front();
    if (qelem* const q = task.element)
    {
        q->set = false;
        q->running = true;
        guard.unlock();
        maxhost::detail::guarded("a queue element's task",
                                 [q] { reinterpret_cast<void (*)(void*)>(q->task)(q->owner); });
        guard.lock();
        q->running = false;
        if (q->freed)
            delete q;
        return;
    }
    guard.unlock();
    maxhost::detail::guarded("a deferred call",
                             [&task]
                             {
                                 reinterpret_cast<void (*)(void*, symbol*, long, atom*)>(task.fn)(
                                     task.owner, task.selector, static_cast<long>(task.atoms.size()),
                                     task.atoms.data());
                             });
}

} // namespace

namespace maxhost::detail
{

void dropMainThreadWorkOf(object* x)
{
    MainQueue& queue = mainQueue();
    std::lock_guard<std::mutex> const guard(queue.lock);
    queue.tasks.erase(std::remove_if(queue.tasks.begin(), queue.tasks.end(),
                                     [x](Task const& t) { return t.element == nullptr && t.owner == x; }),
                      queue.tasks.end());
    std::vector<qelem*> leftovers;
    for (qelem* q : queue.elements)
        if (q->owner == x)
            leftovers.push_back(q);
    for (qelem* q : leftovers)
        releaseElement(queue, q);
}

} // namespace maxhost::detail

namespace maxhost
{

void SetMainThread()
{
    mainThreadId().store(std::this_thread::get_id());
}

bool IsMainThread()
{
    return mainThreadId().load() == std::this_thread::get_id();
}

int RunMainThreadTasks()
{
    if (!IsMainThread())
    {
        detail::note("main-thread tasks can only run on the main thread");
        return 0;
    }
    // A task that queues itself again would keep this loop going forever: stop after a while
    // and leave the rest for the next turn.
    constexpr int maximumRounds = 64;
    MainQueue& queue = mainQueue();
    eventfd_t woken = 0;
    eventfd_read(queue.wake, &woken);
    int ran = 0;
    for (int round = 0; round < maximumRounds; ++round)
    {
        std::size_t pending = 0;
        {
            std::lock_guard<std::mutex> const guard(queue.lock);
            pending = queue.tasks.size();
        }
        if (pending == 0)
            break;
        for (std::size_t i = 0; i < pending; ++i, ++ran)
            runOne(queue);
    }
    return ran;
}

int GetMainThreadWakeDescriptor()
{
    return mainQueue().wake;
}

int GetPendingMainThreadTaskCount()
{
    MainQueue& queue = mainQueue();
    std::lock_guard<std::mutex> const guard(queue.lock);
    return static_cast<int>(queue.tasks.size());
}

struct SchedulerThread::State
{
    std::mutex lock;
    std::condition_variable wake;
    std::function<void()> const* work = nullptr;
    std::exception_ptr failure;
    bool done = false;
    bool stopping = false;
    std::thread thread;

    void loop()
    {
        std::unique_lock<std::mutex> guard(lock);
        for (;;)
        {
            wake.wait(guard, [this] { return stopping || (work != nullptr && !done); });
            if (stopping)
                return;
            guard.unlock();
            std::exception_ptr caught;
            try
            {
                (*work)();
            }
            catch (...)
            {
                caught = std::current_exception();
            }
            guard.lock();
            failure = caught;
            done = true;
            wake.notify_all();
        }
    }
};

SchedulerThread::SchedulerThread() : state(new State)
{
    state->thread = std::thread([s = state] { s->loop(); });
}

SchedulerThread::~SchedulerThread()
{
    {
        std::lock_guard<std::mutex> const guard(state->lock);
        state->stopping = true;
    }
    state->wake.notify_all();
    state->thread.join();
    delete state;
}

void SchedulerThread::Run(std::function<void()> const& work)
{
    std::unique_lock<std::mutex> guard(state->lock);
    state->work = &work;
    state->done = false;
    state->failure = nullptr;
    state->wake.notify_all();
    state->wake.wait(guard, [this] { return state->done; });
    state->work = nullptr;
    if (std::exception_ptr const failure = state->failure)
    {
        state->failure = nullptr;
        std::rethrow_exception(failure);
    }
}

} // namespace maxhost

extern "C"
{

    qelem* qelem_new(void* x, method task)
    {
        if (task == nullptr)
            return nullptr;
        auto* const q = new qelem;
        q->owner = x;
        q->task = task;
        MainQueue& queue = mainQueue();
        std::lock_guard<std::mutex> const guard(queue.lock);
        queue.elements.push_back(q);
        return q;
    }

    void qelem_set(qelem* q)
    {
        if (q == nullptr)
            return;
        MainQueue& queue = mainQueue();
        std::lock_guard<std::mutex> const guard(queue.lock);
        if (q->set || q->freed)
            return;
        q->set = true;
        Task task;
        task.element = q;
        queue.push(std::move(task));
    }

    void qelem_free(qelem* q)
    {
        if (q == nullptr)
            return;
        MainQueue& queue = mainQueue();
        std::lock_guard<std::mutex> const guard(queue.lock);
        if (std::find(queue.elements.begin(), queue.elements.end(), q) == queue.elements.end())
            return; // already released with its object
        releaseElement(queue, q);
    }

    void defer_medium(void* x, method fn, symbol* selector, long argc, atom* argv)
    {
        if (fn == nullptr)
            return;
        Task task;
        task.owner = x;
        task.fn = fn;
        task.selector = selector;
        if (argc > 0 && argv != nullptr)
            task.atoms.assign(argv, argv + argc);
        MainQueue& queue = mainQueue();
        std::lock_guard<std::mutex> const guard(queue.lock);
        queue.push(std::move(task));
    }

    int systhread_ismainthread(void)
    {
        return maxhost::IsMainThread() ? 1 : 0;
    }

} // extern "C"
