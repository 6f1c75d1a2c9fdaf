#pragma once

#include "memory/QevScopedPointer.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscInterface.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <memory>

namespace juce
{
class OpenGLContext;
}

namespace qgui
{

// The base of every panel and row. Each component paints with a look-and-feel of its own, so
// that the process-wide default look-and-feel (which another module in the host may change) never
// alters ours; children without a look-and-feel of their own inherit it. Components made by the
// thousand (a table's rows) may share one instead.
//
// It also chooses the rendering engine of the window that holds it (the peer's own engines, then
// an OpenGL renderer of its own) and can draw a frame-rate overlay over its children.
class Component : public juce::Component
{
public:
    // The peer mode that makes the windowless peer; any other mode makes the native one.
    static constexpr std::int32_t windowlessPeerMode = 1;

    Component();
    // Null for a look-and-feel of its own; else one shared with other components.
    explicit Component(juce::LookAndFeel_V3* shared);
    ~Component() override;

    // The peer's engine names, in its order, then "OpenGL Renderer"; empty without a peer.
    qev::StringArray GetAvailableRenderingEngines() const;
    // Case-insensitive. Without a peer it does nothing; a name that the peer does not offer throws
    // qev::Exception and changes nothing.
    void SetCurrentRenderingEngine(qev::String const& name);
    // An index into GetAvailableRenderingEngines(); the last one is OpenGL. Without a peer, or
    // with an index past the end, it does nothing.
    void SetCurrentRenderingEngine(unsigned int index);
    // "OpenGL Renderer" while the OpenGL context is attached, else the peer's current engine;
    // empty without a peer.
    qev::String GetCurrentRenderingEngine() const;
    // Renders the whole window through OpenGL (or stops doing so; the context is kept for later).
    // When OpenGL cannot be used (no peer yet, a windowless peer, a display without GLX) the
    // context is made but left detached, so the peer's engine stays in use.
    void SetUsingOpenGLRenderer(bool on);
    bool IsUsingOpenGLRenderer() const;
    // Whether the OpenGL renderer could be attached to this component's window now.
    bool CanUseOpenGLRenderer() const;
    // Null until the OpenGL renderer is first asked for; then kept until destruction.
    juce::OpenGLContext* GetOpenGLContext() const noexcept { return openGLContext.Get(); }

    void SetFpsVisible(bool visible);
    bool IsFpsVisible() const noexcept { return fpsVisible; }

    // The overlay shows only on a window's content or on a component without a parent.
    bool IsFpsOverlayShown() const;
    // The overlay's box in the top-right corner, and the area its text is fitted into.
    juce::Rectangle<int> GetFpsOverlayBounds() const;
    juce::Rectangle<int> GetFpsOverlayTextBounds() const;
    // The overlay's four lines: size, render time, frame rate, renderer.
    qev::String GetFpsOverlayText() const;

    // Decides the peer that the framework makes when this component next goes on the desktop.
    void SetPeerMode(std::int32_t mode) noexcept { peerMode = mode; }
    std::int32_t GetPeerMode() const noexcept { return peerMode; }

    void paintOverChildren(juce::Graphics& g) override;
    juce::ComponentPeer* createNewPeer(int styleFlags, void* nativeWindowToAttachTo) override;

    // Meant for components that show a tooltip window of their own; does nothing here.
    virtual void disableTooltipWindow() {}

private:
    qev::ScopedPointer<juce::OpenGLContext> openGLContext;
    std::int32_t peerMode = 0;
    std::unique_ptr<juce::LookAndFeel_V3> ownLookAndFeel;
    bool fpsVisible = false;
    double renderTime = 0.0; // milliseconds
    double frameRate = 0.0;  // frames per second

    JUCE_DECLARE_NON_COPYABLE(Component)
};

// A component that is also driven by OSC: the content that a window manager wraps in a window.
class ComponentWithOscInterface : public Component, public qev::OscInterface
{
public:
    ComponentWithOscInterface() = default;

    // The current state, as the subclass reports it.
    virtual qev::OscBundle Bang() const { return GetCurrentStateAsOscBundle(); }
};

} // namespace qgui
