// The X headers give the framework's table of X functions. They define macros such as None and
// Bool, so every other header comes before them.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "QguiPointerQueries.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace qgui
{
namespace
{

using QueryPointer = juce::X11Symbols::XQueryPointer;

QueryPointer original = nullptr;
// Any thread may ask; only the message thread's questions are batched.
std::atomic<int> batches{0};

// The first answer of the current batches, message thread only.
struct Answer
{
    bool valid = false;
    ::Display* display = nullptr;
    ::Window window = 0;
    ::Window root = 0;
    ::Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    Bool result = False;
} answer;

Bool queryPointer(::Display* display, ::Window window, ::Window* root, ::Window* child, int* rootX,
                  int* rootY, int* windowX, int* windowY, unsigned int* mask)
{
    bool const batched = batches.load() > 0 && juce::MessageManager::existsAndIsCurrentThread();
    Answer fresh;
    Answer const* given = &answer;
    if (!batched || !answer.valid || answer.display != display || answer.window != window)
    {
        fresh = {true, display, window};
        fresh.result = original(display, window, &fresh.root, &fresh.child, &fresh.rootX, &fresh.rootY,
                                &fresh.windowX, &fresh.windowY, &fresh.mask);
        if (batched)
            answer = fresh;
        given = &fresh;
    }
    *root = given->root;
    *child = given->child;
    *rootX = given->rootX;
    *rootY = given->rootY;
    *windowX = given->windowX;
    *windowY = given->windowY;
    *mask = given->mask;
    return given->result;
}

} // namespace

void PointerQueries::Install() noexcept
{
    auto* const symbols = juce::X11Symbols::getInstanceWithoutCreating();
    if (symbols == nullptr || original != nullptr)
        return;
    original = symbols->xQueryPointer;
    symbols->xQueryPointer = queryPointer;
}

void PointerQueries::Remove() noexcept
{
    if (original == nullptr)
        return;
    if (auto* const symbols = juce::X11Symbols::getInstanceWithoutCreating())
        symbols->xQueryPointer = original;
    original = nullptr;
}

PointerQueries::Batch::Batch() noexcept : counted(juce::MessageManager::existsAndIsCurrentThread())
{
    if (counted)
        ++batches;
}

PointerQueries::Batch::~Batch()
{
    if (counted && --batches == 0)
        answer.valid = false;
}

} // namespace qgui
