#include "common/QevException.h"
#include "common/QevSourceLineInfo.h"
#include "memory/QevScopedPointer.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscInterface.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"

// The X headers tell whether the display can run OpenGL. They define macros such as None and Bool,
// so every header of the library comes before them.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "QguiComponent.h"
#include "QguiFunctions.h"
#include "QguiStrings.h"
#include "QguiWindowlessPeer.h"

#include <juce_opengl/juce_opengl.h>

#include <GL/glx.h>

#include <algorithm>

namespace qgui
{

namespace
{

char const openGLRendererName[] = "OpenGL Renderer";

// The framework's OpenGL context dereferences a frame-buffer configuration that it never checked
// it got, so on a display without GLX (or without a matching visual) attaching would crash the
// render thread. Asks for the same configuration first.
bool displayCanRunOpenGL()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    if (windowSystem == nullptr)
        return false;
    auto* display = windowSystem->getDisplay();
    if (display == nullptr)
        return false;

    juce::XWindowSystemUtilities::ScopedXLock xLock;
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase))
        return false;

    juce::OpenGLPixelFormat const format;
    // clang-format off
    int const attributes[] = {
        GLX_RENDER_TYPE,      GLX_RGBA_BIT,
        GLX_DOUBLEBUFFER,     True,
        GLX_RED_SIZE,         format.redBits,
        GLX_GREEN_SIZE,       format.greenBits,
        GLX_BLUE_SIZE,        format.blueBits,
        GLX_ALPHA_SIZE,       format.alphaBits,
        GLX_DEPTH_SIZE,       format.depthBufferBits,
        GLX_STENCIL_SIZE,     format.stencilBufferBits,
        GLX_ACCUM_RED_SIZE,   format.accumulationBufferRedBits,
        GLX_ACCUM_GREEN_SIZE, format.accumulationBufferGreenBits,
        GLX_ACCUM_BLUE_SIZE,  format.accumulationBufferBlueBits,
        GLX_ACCUM_ALPHA_SIZE, format.accumulationBufferAlphaBits,
        None};
    // clang-format on
    int count = 0;
    auto* configs = glXChooseFBConfig(display, juce::X11Symbols::getInstance()->xDefaultScreen(display),
                                      attributes, &count);
    if (configs != nullptr)
        juce::X11Symbols::getInstance()->xFree(configs);
    return configs != nullptr && count > 0;
}

} // namespace

//==============================================================================
Component::Component() : Component(nullptr) {}

Component::Component(juce::LookAndFeel_V3* shared)
    : ownLookAndFeel(shared == nullptr ? std::make_unique<juce::LookAndFeel_V3>() : nullptr)
{
    setLookAndFeel(shared == nullptr ? ownLookAndFeel.get() : shared);
}

Component::~Component()
{
    // The render thread must stop before anything it paints goes away.
    if (openGLContext)
        openGLContext->detach();
    // The framework keeps a reference to the look-and-feel; it must let go before the member dies.
    setLookAndFeel(nullptr);
}

//==============================================================================
qev::StringArray Component::GetAvailableRenderingEngines() const
{
    auto* peer = getPeer();
    if (peer == nullptr)
        return {};
    auto engines = JuceStringArray2OmvarStringArray(peer->getAvailableRenderingEngines());
    engines.PushBack(openGLRendererName);
    return engines;
}

void Component::SetCurrentRenderingEngine(qev::String const& name)
{
    auto const engines = GetAvailableRenderingEngines();
    if (engines.IsEmpty())
        return;
    auto const index = engines.IndexOf(name, qev::Case::Insensitive);
    if (index < 0)
        throw qev::Exception(qev::String("invalid rendering engine : ") + name.Quoted('"'),
                             qev::SourceLineInfo("QguiComponent", 107), true, false);
    SetCurrentRenderingEngine(static_cast<unsigned int>(index));
}

void Component::SetCurrentRenderingEngine(unsigned int index)
{
    auto const count = GetAvailableRenderingEngines().GetSize();
    // An index past the end names no engine; handing it to the peer would make it pick one.
    if (count == 0 || index >= count)
        return;
    if (index == count - 1)
    {
        SetUsingOpenGLRenderer(true);
        return;
    }
    if (auto* peer = getPeer())
    {
        if (openGLContext)
            openGLContext->detach();
        peer->setCurrentRenderingEngine(static_cast<int>(index));
    }
}

qev::String Component::GetCurrentRenderingEngine() const
{
    if (IsUsingOpenGLRenderer())
        return openGLRendererName;
    auto* peer = getPeer();
    if (peer == nullptr)
        return {};
    auto const engines = GetAvailableRenderingEngines();
    auto const index = peer->getCurrentRenderingEngine();
    // The last entry is ours, not the peer's.
    if (index < 0 || static_cast<unsigned long>(index) + 1 >= engines.GetSize())
        return {};
    return engines[static_cast<unsigned long>(index)];
}

void Component::SetUsingOpenGLRenderer(bool on)
{
    if (!on)
    {
        if (openGLContext)
            openGLContext->detach();
        return;
    }
    if (!openGLContext)
        openGLContext = new juce::OpenGLContext();
    if (openGLContext->isAttached())
        openGLContext->detach();
    if (!CanUseOpenGLRenderer())
        return;
    openGLContext->setComponentPaintingEnabled(true);
    // The whole window renders through OpenGL, not only this component.
    openGLContext->attachTo(*getTopLevelComponent());
}

bool Component::IsUsingOpenGLRenderer() const
{
    return openGLContext && openGLContext->isAttached();
}

bool Component::CanUseOpenGLRenderer() const
{
    auto* peer = getPeer();
    // The windowless peer has no native window to render into.
    if (peer == nullptr || peer->getNativeHandle() == nullptr || dynamic_cast<MaxPeer*>(peer) != nullptr)
        return false;
    return displayCanRunOpenGL();
}

//==============================================================================
void Component::SetFpsVisible(bool visible)
{
    if (visible == fpsVisible)
        return;
    fpsVisible = visible;
    repaint();
}

bool Component::IsFpsOverlayShown() const
{
    if (!fpsVisible)
        return false;
    auto* parent = getParentComponent();
    return parent == nullptr || dynamic_cast<juce::TopLevelWindow*>(parent) != nullptr;
}

juce::Rectangle<int> Component::GetFpsOverlayBounds() const
{
    auto const w = std::min(getWidth() / 4, 200);
    auto const h = std::min(getHeight() / 4, 100);
    return {getWidth() - w, 0, w, h};
}

juce::Rectangle<int> Component::GetFpsOverlayTextBounds() const
{
    auto const box = GetFpsOverlayBounds();
    return {box.getX() + 3, 3, std::max(0, box.getWidth() - 6), std::max(0, box.getHeight() - 6)};
}

qev::String Component::GetFpsOverlayText() const
{
    return qev::String(getWidth()) + " x " + qev::String(getHeight()) +
           "\nrender time : " + qev::String(renderTime, 2) + " ms\n" + qev::String(frameRate, 1) +
           " fps\nrenderer : " + GetCurrentRenderingEngine();
}

void Component::paintOverChildren(juce::Graphics& g)
{
    if (!IsFpsOverlayShown())
        return;
    g.setColour(juce::Colours::white.withAlpha(AlphaByte(0.5f)));
    g.fillRect(GetFpsOverlayBounds());
    g.setFont(GetFont("Arial", "plain", 11.0f));
    g.setColour(juce::Colours::black);
    g.drawFittedText(ToJuceString(GetFpsOverlayText()), GetFpsOverlayTextBounds(),
                     juce::Justification::centred, 4, 0.0f);
}

juce::ComponentPeer* Component::createNewPeer(int styleFlags, void* nativeWindowToAttachTo)
{
    if (peerMode == windowlessPeerMode)
        return new MaxPeer(*this);
    return juce::Component::createNewPeer(styleFlags, nativeWindowToAttachTo);
}

} // namespace qgui
