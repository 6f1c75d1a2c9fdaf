#include "QguiRuntime.h"

#include "QguiFunctions.h"
#include "QguiNativeWindow.h"
#include "QguiPointerQueries.h"
#include "QguiXErrorIgnorer.h"
#include "common/QevConsoleLog.h"
#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>
// The framework's hook for hosts that run its loop themselves; its module does not publish it.
#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <atomic>
#include <exception>

namespace juce
{
// Defined by the framework's event loop but declared in none of its headers; the framework's own
// plug-in wrappers pump the host-driven loop with it.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace qgui
{
namespace
{

std::atomic<bool> running{false};
std::atomic<bool> hasDisplay{false};
bool pumping = false;

void logPumpFailure(char const* reason) noexcept
{
    try
    {
        qev::String text("GUI message failed: ");
        text.Append(qev::String(reason));
        qev::ConsoleLog::Print(text);
    }
    catch (...)
    {
        // Nothing left to report with.
    }
}

} // namespace

void Runtime::Initialise()
{
    if (running.load())
        return;
    XErrorIgnorer::Install();
    XWindowManagerAtoms::Intern();
    juce::initialiseJuce_GUI();
    // The environment cannot tell (the framework falls back to ":0.0" without DISPLAY); only a
    // primary display proves that windows can go on screen. Finding the displays opens the
    // framework's connection.
    hasDisplay.store(juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr);
    XWindowManagerAtoms::Release();
    PointerQueries::Install();
    NativeWindow::Install();
    InstallSystemClipboardBackend();
    InstallTypefaceResolver();
    running.store(true);
}

int Runtime::Pump(int maxRounds) noexcept
{
    if (!IsMessageThread() || pumping)
        return 0;
    pumping = true;
    int dispatched = 0;
    try
    {
        while (dispatched < maxRounds && juce::dispatchNextMessageOnSystemQueue(true))
            ++dispatched;
        // Window events read meanwhile by a round trip run at the next pump, not at the next input.
        NativeWindow::DeliverQueuedEvents();
    }
    catch (std::exception const& e)
    {
        logPumpFailure(e.what());
    }
    catch (...)
    {
        logPumpFailure("unknown exception");
    }
    pumping = false;
    return dispatched;
}

std::vector<int> Runtime::GetWaitDescriptors()
{
    if (!IsMessageThread())
        return {};
    NativeWindow::DeliverQueuedEvents(true);
    return juce::LinuxEventLoopInternal::getRegisteredFds();
}

void Runtime::Shutdown()
{
    if (!running.load())
        return;
    running.store(false);
    RemoveSystemClipboardBackend();
    RemoveTypefaceResolver();
    hasDisplay.store(false);
    PointerQueries::Remove();
    NativeWindow::Remove();
    juce::shutdownJuce_GUI();
    XErrorIgnorer::Restore();
}

bool Runtime::IsRunning() noexcept
{
    return running.load();
}

bool Runtime::HasDisplay() noexcept
{
    return hasDisplay.load();
}

bool Runtime::IsMessageThread() noexcept
{
    return running.load() && juce::MessageManager::existsAndIsCurrentThread();
}

} // namespace qgui
