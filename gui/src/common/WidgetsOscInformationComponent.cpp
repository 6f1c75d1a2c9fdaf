#include "WidgetsOscInformationComponent.h"

#include "common/QguiFunctions.h"

#include <algorithm>

namespace widgets
{

OscInformationComponent::RefreshThread::RefreshThread(OscInformationComponent& ownerPanel)
    : owner(&ownerPanel)
{
}

OscInformationComponent::RefreshThread::~RefreshThread()
{
    stopTimer();
}

void OscInformationComponent::RefreshThread::timerCallback()
{
    if (!owner->isShowing())
        return;
    owner->resetButton.setEnabled(!owner->searchField.IsEmpty());
    owner->updateContent();
}

OscInformationComponent::OscInformationComponent(qev::OscInterface& anInterface)
    : oscInterface(anInterface), countLabel(qev::String()), sortToggle("sort"), resetButton("x")
{
    list.SetHeaderVisible(false);
    list.SetMultipleSelectionEnabled(true);
    list.SetClickingTogglesRowSelection(false);

    juce::Font const font = qgui::GetFont("Arial", "plain", 11.0f);

    searchField.AddListener(this);
    searchField.SetFont(font);

    countLabel.SetFont(font);
    countLabel.JustifyRight();

    resetButton.SetFont(font);
    resetButton.addListener(this);
    resetButton.SetTooltip("reset search field");

    sortToggle.SetFont(font);
    sortToggle.AddListener(this);
    sortToggle.SetTooltip("sort alphabetically");

    addAndMakeVisible(list);
    addAndMakeVisible(searchField);
    addAndMakeVisible(countLabel);
    addAndMakeVisible(resetButton);
    addChildComponent(sortToggle);

    resetButton.setEnabled(!searchField.IsEmpty());
    setSize(600, 600);
}

OscInformationComponent::~OscInformationComponent()
{
    refreshThread.reset();
}

void OscInformationComponent::visibilityChanged()
{
    if (isVisible())
    {
        if (refreshThread == nullptr)
        {
            refreshThread = std::make_unique<RefreshThread>(*this);
            refreshThread->Start(refreshPeriodMilliseconds);
        }
    }
    else
        refreshThread.reset();
}

void OscInformationComponent::paint(juce::Graphics& g)
{
    // White at alpha 0.5 truncated to a byte, as every alpha of this GUI.
    g.fillAll(juce::Colour(0x7FFFFFFFu));
}

bool OscInformationComponent::keyPressed(juce::KeyPress const& key)
{
    if (qgui::ShortCuts::CorrespondsTo(key, qgui::ShortCuts::Copy))
    {
        qev::StringArray const selected = list.GetSelected();
        if (selected.IsEmpty())
            return false;
        juce::ModifierKeys const modifiers = juce::ModifierKeys::getCurrentModifiers();
        bool const oneItemPerLine = modifiers.isShiftDown() || modifiers.isCtrlDown();
        qgui::CopyTextToClipboard(
            selected.Flattened(oneItemPerLine ? qev::String::NewLine() : qev::String(", ")));
        return true;
    }
    if (qgui::ShortCuts::CorrespondsTo(key, qgui::ShortCuts::Increment))
    {
        list.IncrementFontSize();
        return true;
    }
    if (qgui::ShortCuts::CorrespondsTo(key, qgui::ShortCuts::Decrement))
    {
        list.DecrementFontSize();
        return true;
    }
    return false;
}

void OscInformationComponent::resized()
{
    int const w = getWidth();
    int const h = getHeight();
    int const s = std::min(w / 2, 300);
    bool const sortShown = sortToggle.isVisible();
    int const shift = sortShown ? 50 : 0;

    searchField.setBounds(8, 4, s, 22);
    sortToggle.setBounds(s + 20, 6, sortShown ? 50 : 0, 18);
    resetButton.setBounds(s + 32 + shift, 6, 18, 18);
    int const labelX = s + 50 + shift;
    countLabel.setBounds(labelX, 6, w - labelX, 18);
    list.setBounds(0, 28, w, h - 28);
}

void OscInformationComponent::buttonClicked(juce::Button* button)
{
    if (button == &resetButton)
        searchField.Reset(true);
    else if (button == &sortToggle)
        updateContent();
}

void OscInformationComponent::textEditorTextChanged(juce::TextEditor& editor)
{
    juce::ignoreUnused(editor);
    updateContent();
}

void OscInformationComponent::SetFontSize(float size)
{
    list.SetFontSize(size);
}

void OscInformationComponent::showLines(qev::StringArray const& lines)
{
    qev::StringArray words = searchField.GetAllText(" ");
    words.RemoveEmptyStrings(true);

    unsigned long const total = lines.GetSize();
    qev::String const noun(total <= 1 ? " element" : " elements");
    qev::String text;
    if (words.IsEmpty())
    {
        list.SetItems(lines);
        text = qev::String(total);
    }
    else
    {
        list.SetItems(lines.RetainItemsContainingEach(words, qev::Case::Insensitive));
        text = qev::String(list.GetNumRows());
        text.Append(" / ");
        text.Append(qev::String(total));
    }
    text.Append(noun);
    countLabel.SetText(text, false);
}

} // namespace widgets
