#include "common/WidgetsMidiOscMapComponent.h"

#include "common/QguiFunctions.h"

namespace widgets
{
namespace
{

using Guard = std::lock_guard<std::recursive_mutex>;

struct Column
{
    char const* title;
    int width;
};

// Left to right, as the row columns beneath them.
constexpr Column columns[MidiOscMapComponent::numHeaderLabels] = {
    {"controller\nnumber", 60}, {"MIDI\nchannel", 60},     {"current\nMIDI value", 60},
    {"OSC pattern", 250},       {"min\nOSC value", 60},    {"max\nOSC value", 60},
    {"exponent", 60},           {"current\nOSC value", 60}};

constexpr int columnGap = 2;
constexpr int addButtonGap = 10;

juce::Font panelFont()
{
    return qgui::GetFont("Arial", "plain", 11);
}

} // namespace

MidiOscMapComponent::MidiOscMapComponent()
{
    // The panel owns the list; the viewport only shows it.
    viewport.setViewedComponent(&controllers, false);
    addAndMakeVisible(viewport);
    // The viewport moves the list to scroll it; the header follows.
    controllers.addComponentListener(this);
    // Presses below the last row land on the viewport's own holder of the list.
    if (auto* holder = controllers.getParentComponent())
        holder->addMouseListener(this, false);
    addButton.SetFont(panelFont());
    addButton.addListener(this);
    addAndMakeVisible(addButton);
    for (int i = 0; i < numHeaderLabels; ++i)
        headers[i].SetText(columns[i].title, false);
    for (auto& label : headers)
        init(label);
    setSize(800, 400);
}

void MidiOscMapComponent::init(Label& label)
{
    label.JustifyCenter();
    label.SetFont(panelFont());
    // A press on a title is a press on the panel.
    label.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(label);
}

MidiOscMapComponent::~MidiOscMapComponent()
{
    addButton.removeListener(this);
    controllers.removeComponentListener(this);
    if (auto* holder = controllers.getParentComponent())
        holder->removeMouseListener(this);
    viewport.setViewedComponent(nullptr, false);
}

void MidiOscMapComponent::AddListener(qev::MidiOscMap::Listener* listener)
{
    Guard guard(GetLock());
    controllers.GetMap().AddListener(listener);
}

void MidiOscMapComponent::RemoveListener(qev::MidiOscMap::Listener* listener)
{
    Guard guard(GetLock());
    controllers.GetMap().RemoveListener(listener);
}

void MidiOscMapComponent::Process(qev::MidiMessage const& message)
{
    Guard guard(GetLock());
    controllers.GetMap().Process(message);
}

void MidiOscMapComponent::Process(qev::OscMessage const& message)
{
    controllers.Process(message);
}

void MidiOscMapComponent::Refresh()
{
    controllers.Refresh();
}

void MidiOscMapComponent::ForceUpdate()
{
    Guard guard(GetLock());
    controllers.GetMap().ForceUpdate();
}

void MidiOscMapComponent::Clear()
{
    Guard guard(GetLock());
    controllers.GetMap().Clear();
    controllers.TableReplaced();
}

bool MidiOscMapComponent::LoadFromXml(qev::File const& file)
{
    bool loaded = false;
    try
    {
        Guard guard(GetLock());
        // A parse error leaves the table emptied.
        controllers.TableReplaced();
        loaded = controllers.GetMap().LoadFromXml(file);
    }
    catch (...)
    {
        Refresh();
        throw;
    }
    Refresh();
    return loaded;
}

bool MidiOscMapComponent::SaveAsXml(qev::File const& file, qev::Overwrite const& overwrite) const
{
    Guard guard(GetLock());
    return controllers.GetMap().SaveAsXml(file, overwrite);
}

qev::MaxMspDocumentation MidiOscMapComponent::GetMaxMspDocumentation() const
{
    return qev::MaxMspDocumentation("MIDI <> OSC mapping",
                                    "trov5.cclink allows to map MIDI messages to OSC messages and vice versa",
                                    "", "trov5.steer, trov5.steerthru, ctlin, midiin, udpsend, udpreceive");
}

void MidiOscMapComponent::resized()
{
    viewport.setBounds(0, headerHeight, getWidth(), getHeight() - headerHeight);
    layoutHeader();
}

void MidiOscMapComponent::layoutHeader()
{
    // Scrolled sideways, the list stands left of the viewport by as much.
    int x = controllers.getX();
    for (int i = 0; i < numHeaderLabels; ++i)
    {
        headers[i].setBounds(x, 0, columns[i].width, headerHeight);
        x = headers[i].getRight() + columnGap;
    }
    addButton.setBounds(headers[numHeaderLabels - 1].getRight() + addButtonGap, 5, 40, 19);
}

void MidiOscMapComponent::componentMovedOrResized(juce::Component&, bool wasMoved, bool)
{
    if (wasMoved)
        layoutHeader();
}

void MidiOscMapComponent::mouseDown(juce::MouseEvent const&)
{
    juce::Component::unfocusAllComponents();
}

void MidiOscMapComponent::buttonClicked(juce::Button* button)
{
    if (button != &addButton)
        return;
    {
        Guard guard(GetLock());
        controllers.GetMap().AddNewEntry();
    }
    controllers.Refresh();
}

} // namespace widgets
