#include "common/WidgetsMidiOscMapOneController.h"

#include "common/QevException.h"
#include "common/QguiFunctions.h"
#include "common/QguiStrings.h"
#include "common/WidgetsMidiOscMapControllers.h"
#include "midi/QevMidiOscConversion.h"
#include "osc/QevOscAddress.h"

#include <cmath>
#include <mutex>
#include <string>
#include <utility>

namespace widgets
{
namespace
{

using Guard = std::lock_guard<std::recursive_mutex>;

constexpr juce::uint32 learnOnColour = 0xFFEFFF00;
constexpr juce::uint32 rejectedPatternColour = 0xFFE02020;

juce::Font rowFont()
{
    return qgui::GetFont("Arial", "plain", 11);
}

juce::Colour outlineColour()
{
    return juce::Colours::white.withAlpha(qgui::AlphaByte(0.5f));
}

int truncated(double value)
{
    return static_cast<int>(value);
}

} // namespace

MidiOscMapOneController::Looks::Looks()
{
    number.font = rowFont();
    learn.font = rowFont();
    learn.setColour(juce::TextButton::buttonOnColourId, juce::Colour(learnOnColour));
    button.font = rowFont();
}

MidiOscMapOneController::MidiOscMapOneController(MidiOscMapControllers& owner_, std::size_t index_)
    : MidiOscMapOneController(owner_, index_, owner_.GetRowLooks())
{
}

MidiOscMapOneController::MidiOscMapOneController(MidiOscMapControllers& owner_, std::size_t index_,
                                                 Looks& looks)
    : qgui::Component(&looks.row), owner(owner_), index(index_),
      backgroundColour(juce::Colours::transparentWhite),
      controllerBox(Numbox::ConfiguredLater(), &looks.number),
      channelBox(Numbox::ConfiguredLater(), &looks.number), patternEditor("", &looks.pattern),
      minimumBox(Numbox::ConfiguredLater(), &looks.number),
      maximumBox(Numbox::ConfiguredLater(), &looks.number),
      exponentBox(Numbox::ConfiguredLater(), &looks.number),
      currentMidiBox(Numbox::ConfiguredLater(), &looks.number),
      currentOscBox(Numbox::ConfiguredLater(), &looks.number), learnToggle("learn", &looks.learn),
      deleteButton("delete", &looks.button)
{
    patternEditor.setFont(rowFont());
    patternEditor.setColour(juce::TextEditor::outlineColourId, outlineColour());

    controllerBox.setRange(0.0, 999.0, 1.0);
    channelBox.setRange(1.0, 16.0, 1.0);
    // The range and exponent hold what the table or the user gives them; steps are for dragging.
    minimumBox.SetRangeWithDragStep(-65536.0, 65536.0, 1.0);
    maximumBox.SetRangeWithDragStep(-65536.0, 65536.0, 1.0);
    // Single-precision bounds and step, as the table stores its values.
    exponentBox.SetRangeWithDragStep(static_cast<double>(0.00001f), 100.0, static_cast<double>(0.0001f));
    currentMidiBox.setRange(0.0, 127.0, 1.0);
    currentOscBox.setRange(-1000000000.0, 1000000000.0, static_cast<double>(0.001f));

    // Rates a hand can aim with: the framework's default crosses a range in 250 pixels, 524 per
    // pixel on the range boxes, so a click that slipped could send a wild value.
    minimumBox.SetDragRate(1.0);
    maximumBox.SetDragRate(1.0);
    exponentBox.SetDragRate(0.01);
    controllerBox.SetDragRate(0.25);
    channelBox.SetDragRate(0.25);

    currentMidiBox.setTextBoxIsEditable(false);
    currentOscBox.setTextBoxIsEditable(false);

    controllerBox.SetValue(150.0, false);
    channelBox.SetValue(1.0, false);
    minimumBox.SetValue(0.0, false);
    maximumBox.SetValue(1.0, false);

    patternEditor.addListener(this);
    addAndMakeVisible(patternEditor);

    // The looks hold the buttons' font and the toggle's "on" colour.
    learnToggle.SetTooltip("MIDI learn");
    addAndMakeVisible(learnToggle);
    addAndMakeVisible(deleteButton);

    for (Numbox* box : {&channelBox, &controllerBox, &minimumBox, &maximumBox, &exponentBox, &currentMidiBox,
                        &currentOscBox})
        init(*box);

    setSize(800, 30);
}

MidiOscMapOneController::~MidiOscMapOneController() = default;

void MidiOscMapOneController::init(Numbox& box)
{
    box.setScrollWheelEnabled(false);
    box.setColour(juce::Slider::textBoxOutlineColourId, outlineColour());
    box.setColour(juce::Slider::textBoxBackgroundColourId, juce::Colours::transparentWhite);
    box.setColour(juce::Slider::textBoxHighlightColourId, juce::Colours::transparentWhite);
    // A table of thousands of rows: one text box per box, built with all of the above.
    box.EndConfiguration();
    box.addListener(this);
    addAndMakeVisible(box);
}

void MidiOscMapOneController::paint(juce::Graphics& g)
{
    g.fillAll(backgroundColour);
}

void MidiOscMapOneController::mouseDown(juce::MouseEvent const&)
{
    juce::Component::unfocusAllComponents();
}

void MidiOscMapOneController::resized()
{
    int const h = getHeight() - 2;
    // Packed with 2-pixel gaps from x = 1, one pixel right of the panel's column titles.
    controllerBox.setBounds(1, 1, 60, h);
    channelBox.setBounds(63, 1, 60, h);
    currentMidiBox.setBounds(125, 1, 60, h);
    patternEditor.setBounds(187, 1, 250, h);
    minimumBox.setBounds(439, 1, 60, h);
    maximumBox.setBounds(501, 1, 60, h);
    exponentBox.setBounds(563, 1, 60, h);
    currentOscBox.setBounds(625, 1, 60, h);
    learnToggle.setBounds(695, 1, 40, h);
    deleteButton.setBounds(745, 1, 40, h);
}

void MidiOscMapOneController::SetBackgroundColour(juce::Colour colour)
{
    if (colour == backgroundColour)
        return;
    backgroundColour = colour;
    repaint();
}

void MidiOscMapOneController::Set(qev::MidiOscMap::Entry const& entry, bool notify)
{
    controllerBox.SetValue(entry.controller, notify);
    channelBox.SetValue(entry.channel, notify);
    showPattern(entry, notify);
    minimumBox.SetValue(entry.minimum, notify);
    maximumBox.SetValue(entry.maximum, notify);
    currentMidiBox.SetValue(qev::MidiOscConversion::TruncateToInt(entry.currentMidi), notify);
    currentOscBox.SetValue(entry.currentOsc, notify);
    exponentBox.SetValue(entry.exponent, notify);
}

void MidiOscMapOneController::showPattern(qev::MidiOscMap::Entry const& entry, bool notify)
{
    // The host asks for a rewrite after every message it converts: typed text waits for the
    // editor to lose the focus, which writes it, unless the entry it was typed over is gone.
    bool const sameEntry = entry.serial == filledSerial && entry.address.GetText() == filledPattern;
    bool const typed = !patternRejected && patternEditor.GetText() != filledPattern;
    if (patternRejected)
    {
        patternRejected = false;
        refusedPattern.reset();
        patternEditor.setColour(juce::TextEditor::outlineColourId, outlineColour());
        patternEditor.setTooltip({});
    }
    if (sameEntry && typed)
        return;
    filledSerial = entry.serial;
    filledPattern = entry.address.GetText();
    patternEditor.SetText(filledPattern, notify);
}

qev::String MidiOscMapOneController::GetOscPattern() const
{
    std::string text = patternEditor.GetText().GetStdString();
    if (text.find('/') != 0)
        text.insert(text.begin(), '/');
    if (text.back() == '/')
        text.pop_back();
    if (text.empty())
        text = "/";
    return qev::String(std::move(text));
}

template <typename Change>
void MidiOscMapOneController::storeEntry(Change const& change, std::optional<int> currentMidi)
{
    // Whatever the edit sets off (a host fed by the outlets may clear the table at once) must not
    // delete this row under its control's callback.
    MidiOscMapControllers::RowCallback const inCallback(owner);
    {
        Guard guard(owner.GetLock());
        auto& map = owner.GetMap();
        // A host thread may have shrunk the table since the rows were last rewritten: a row never
        // edits an entry the table does not hold. The rewrite that follows would delete this row
        // from inside its own control's callback, so it waits for the message loop.
        if (index >= map.GetNumEntries())
        {
            owner.triggerAsyncUpdate();
            return;
        }
        auto const i = index;
        qev::MidiOscMap::Entry entry = map.GetEntry(i);
        if (change(entry))
        {
            if (currentMidi)
                map.EditEntry(i, entry.channel, entry.controller, entry.address, entry.minimum, entry.maximum,
                              entry.exponent, *currentMidi);
            else
                map.EditEntry(i, entry.channel, entry.controller, entry.address, entry.minimum, entry.maximum,
                              entry.exponent);
        }
    }
    owner.RowEdited(index);
}

void MidiOscMapOneController::updateEntry(Field field)
{
    std::optional<qev::OscAddress> typed;
    if (field == Field::pattern)
    {
        // One focus loss reaches the row twice (its own notice, then the editor's posted one):
        // text already refused has been reported.
        qev::String const text = patternEditor.GetText();
        if (text == filledPattern || (refusedPattern && text == *refusedPattern))
            return;
        typed.emplace(GetOscPattern());
    }
    storeEntry(
        [&](qev::MidiOscMap::Entry& entry)
        {
            switch (field)
            {
            case Field::controller:
                entry.controller = truncated(controllerBox.getValue());
                break;
            case Field::channel:
                entry.channel = truncated(channelBox.getValue());
                break;
            case Field::minimum:
                entry.minimum = static_cast<float>(minimumBox.getValue());
                break;
            case Field::maximum:
                entry.maximum = static_cast<float>(maximumBox.getValue());
                break;
            case Field::exponent:
                entry.exponent = static_cast<float>(exponentBox.getValue());
                break;
            case Field::pattern:
                // Typed over another entry, or over an address the table has changed since: the
                // rewrite shows the table's instead.
                if (entry.serial != filledSerial || entry.address.GetText() != filledPattern)
                    return false;
                entry.address = *typed;
                break;
            }
            return true;
        },
        std::nullopt);
}

void MidiOscMapOneController::updateEntryFromControl(Field field)
{
    try
    {
        updateEntry(field);
    }
    catch (qev::Exception const& e)
    {
        if (field == Field::pattern)
            refusedPattern = patternEditor.GetText();
        markPatternRejected(e.GetMessage());
    }
}

void MidiOscMapOneController::markPatternRejected(qev::String const& reason)
{
    // The text stays for the user to correct; the next rewrite from the table restores the look.
    patternRejected = true;
    patternEditor.setColour(juce::TextEditor::outlineColourId, juce::Colour(rejectedPatternColour));
    patternEditor.setTooltip(qgui::ToJuceString(reason));
    owner.RowNeedsRewrite(index);
}

void MidiOscMapOneController::sliderValueChanged(juce::Slider* slider)
{
    // The current values are displays: nothing of theirs is ever written.
    std::pair<juce::Slider const*, Field> const fields[] = {
        {&controllerBox, Field::controller}, {&channelBox, Field::channel},  {&minimumBox, Field::minimum},
        {&maximumBox, Field::maximum},       {&exponentBox, Field::exponent}};
    for (auto const& [box, field] : fields)
        if (box == slider)
            updateEntryFromControl(field);
}

void MidiOscMapOneController::textEditorFocusLost(juce::TextEditor&)
{
    updateEntryFromControl(Field::pattern);
}

void MidiOscMapOneController::focusOfChildComponentChanged(FocusChangeType)
{
    // A row being hidden to be deleted has no entry left to store into.
    if (isVisible() && !hasKeyboardFocus(true))
        updateEntryFromControl(Field::pattern);
}

void MidiOscMapOneController::Learn(int channel, int controller, int value)
{
    if (!learnToggle.getToggleState())
        return;
    controllerBox.SetValue(controller, false);
    channelBox.SetValue(channel, false);
    currentMidiBox.SetValue(value, false);
    // The table re-enters this function (through the list) once from inside the edit, while
    // learning is still on; that pass writes the same values and switches the toggle off, so this
    // one ends up sending nothing.
    storeEntry(
        [&](qev::MidiOscMap::Entry& entry)
        {
            entry.channel = channel;
            entry.controller = controller;
            return true;
        },
        value);
    // Tells the list, which turns learning off and enables every toggle again.
    learnToggle.SetToggleState(false, true);
}

juce::String MidiOscMapOneController::getText()
{
    return "controller " + controllerBox.getTextFromValue(controllerBox.getValue()) + ", channel " +
           channelBox.getTextFromValue(channelBox.getValue()) + ", MIDI " +
           currentMidiBox.getTextFromValue(currentMidiBox.getValue()) + ", " + patternEditor.getText() +
           ", min " + minimumBox.getTextFromValue(minimumBox.getValue()) + ", max " +
           maximumBox.getTextFromValue(maximumBox.getValue()) + ", exponent " +
           exponentBox.getTextFromValue(exponentBox.getValue()) + ", OSC " +
           currentOscBox.getTextFromValue(currentOscBox.getValue());
}

} // namespace widgets
