#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsButtons.h"
#include "common/WidgetsLabel.h"
#include "common/WidgetsMidiOscMapControllers.h"
#include "common/WidgetsViewport.h"
#include "files/QevFile.h"
#include "midi/QevMidiMessage.h"
#include "midi/QevMidiOscMap.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscMessage.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <mutex>

namespace widgets
{

// The mapping editor panel: column titles and a "+" button above a scrolling row list. The host
// object reaches its mapping table only through the forwarding operations below, so the table
// lives, and converts, whether the window is shown or not.
//
// Every forwarding operation takes the table's lock and may be called from any thread; the rows
// are only ever touched on the message thread. An owner that needs several operations to appear
// as one holds GetLock() around them. Listeners are called on the calling thread, lock held.
//
// The column titles and "+" scroll sideways with the rows, so that they stay over their columns
// in a window narrower than the rows. A press anywhere outside a control ends text editing,
// which stores it.
class MidiOscMapComponent : public qgui::ComponentWithOscInterface,
                            public juce::Button::Listener,
                            private juce::ComponentListener
{
public:
    static constexpr int headerHeight = 30;

    MidiOscMapComponent();
    ~MidiOscMapComponent() override;

    // Null and already registered listeners are ignored.
    void AddListener(qev::MidiOscMap::Listener* listener);
    void RemoveListener(qev::MidiOscMap::Listener* listener);
    // MIDI to OSC, and MIDI learn. The rows follow at the next Refresh(), except a learning row,
    // which shows what it learns at once (or, called off the message thread, once it gets there).
    void Process(qev::MidiMessage const& message);
    // OSC to MIDI.
    void Process(qev::OscMessage const& message);
    // Brings the rows in line with what the operations above changed. On screen: the rows of the
    // changed entries only, at once on the message thread, otherwise posted to it (several posts
    // before it runs give one). Off screen (window closed, or never opened): nothing but a mark,
    // whatever the table holds; the rows follow when the window opens or a row is asked for.
    void Refresh();
    // Sends every entry's current values to the listeners again.
    void ForceUpdate();
    // Deletes every entry. The rows follow at the next Refresh().
    void Clear();
    // Replaces the table by the file's entries, then refreshes the rows, also when the load fails
    // part-way (the table is then empty) so that rows never show entries the table no longer
    // holds. The table's exceptions pass through.
    bool LoadFromXml(qev::File const& file);
    bool SaveAsXml(qev::File const& file, qev::Overwrite const& overwrite) const;

    std::recursive_mutex& GetLock() const noexcept { return controllers.GetLock(); }
    MidiOscMapControllers& GetControllers() noexcept { return controllers; }
    Viewport& GetViewport() noexcept { return viewport; }
    PushButton& GetAddButton() noexcept { return addButton; }
    // The column titles, left to right.
    Label& GetHeaderLabel(int column) noexcept { return headers[column]; }
    static constexpr int numHeaderLabels = 8;

    qev::MaxMspDocumentation GetMaxMspDocumentation() const override;

    void resized() override;
    void buttonClicked(juce::Button* button) override;
    void mouseDown(juce::MouseEvent const& e) override;

private:
    void init(Label& label);
    void layoutHeader();
    void componentMovedOrResized(juce::Component& component, bool wasMoved, bool wasResized) override;

    Viewport viewport;
    MidiOscMapControllers controllers;
    Label headers[numHeaderLabels]{Label(""), Label(""), Label(""), Label(""),
                                   Label(""), Label(""), Label(""), Label("")};
    PushButton addButton{"+"};

    JUCE_DECLARE_NON_COPYABLE(MidiOscMapComponent)
};

} // namespace widgets
