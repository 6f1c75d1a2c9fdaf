#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsButtons.h"
#include "common/WidgetsLabel.h"
#include "common/WidgetsSearchField.h"
#include "common/WidgetsTableListBox.h"
#include "common/WidgetsTooltipWindow.h"
#include "osc/QevOscInterface.h"
#include "text/QevStringArray.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace widgets
{

// A read-only, searchable list of text lines about one OSC-controlled object: only the lines that
// hold every search word (case ignored) are shown. While visible it rebuilds its lines every
// 300 ms, doing the work only while it is on screen, so that a list of the object's state follows
// the object. Message thread only.
class OscInformationComponent : public qgui::Component,
                                private juce::Button::Listener,
                                private juce::TextEditor::Listener
{
public:
    static constexpr int refreshPeriodMilliseconds = 300;

    // The refresh tick: a timer on the message thread.
    class RefreshThread : private juce::Timer
    {
    public:
        explicit RefreshThread(OscInformationComponent& owner);
        ~RefreshThread() override;

        void Start(int periodMilliseconds) { startTimer(periodMilliseconds); }
        bool IsRunning() const noexcept { return isTimerRunning(); }
        int GetPeriod() const noexcept { return getTimerInterval(); }

        // Off screen it does nothing, so that a hidden panel never reads the object.
        void timerCallback() override;

    private:
        OscInformationComponent* owner;

        JUCE_DECLARE_NON_COPYABLE(RefreshThread)
    };

    // The interface must outlive the panel.
    explicit OscInformationComponent(qev::OscInterface& oscInterface);
    ~OscInformationComponent() override;

    void visibilityChanged() override;
    void paint(juce::Graphics& g) override;
    bool keyPressed(juce::KeyPress const& key) override;
    void resized() override;

    // Rebuilds the list and the count label; nothing here.
    virtual void updateContent() {}

    void buttonClicked(juce::Button* button) override;
    void textEditorTextChanged(juce::TextEditor& editor) override;

    // Clamped to 1..120 by the list.
    void SetFontSize(float size);

    TableListBox& GetList() noexcept { return list; }
    SearchField& GetSearchField() noexcept { return searchField; }
    Label& GetCountLabel() noexcept { return countLabel; }
    ToggleTextButton& GetSortToggle() noexcept { return sortToggle; }
    PushButton& GetResetButton() noexcept { return resetButton; }
    // Null while the panel is not visible.
    RefreshThread* GetRefreshThread() noexcept { return refreshThread.get(); }

protected:
    // Shows the lines that hold every search word and labels the count.
    void showLines(qev::StringArray const& lines);

    qev::OscInterface& GetInterface() const noexcept { return oscInterface; }

private:
    qev::OscInterface& oscInterface;
    TableListBox list;
    SearchField searchField;
    Label countLabel;
    ToggleTextButton sortToggle;
    juce::SharedResourcePointer<TooltipWindow> tooltipWindow;
    PushButton resetButton;
    std::unique_ptr<RefreshThread> refreshThread;

    JUCE_DECLARE_NON_COPYABLE(OscInformationComponent)
};

} // namespace widgets
