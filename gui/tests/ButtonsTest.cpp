#include "GuiTestHelpers.h"
#include "common/QguiFunctions.h"
#include "common/WidgetsButtons.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace
{

struct ClickCounter : juce::Button::Listener
{
    void buttonClicked(juce::Button* button) override
    {
        ++clicks;
        stateSeen = button->getToggleState();
    }
    int clicks = 0;
    bool stateSeen = false;
};

juce::uint32 colourOf(juce::Component const& component, int id)
{
    return component.findColour(id).getARGB();
}

} // namespace

TEST(ButtonsTest, PushButtonStartsMomentaryWithItsColoursAndFont)
{
    widgets::PushButton button("add");
    EXPECT_EQ(juce::String("new toggle button"), button.getName());
    EXPECT_EQ(juce::String("add"), button.getButtonText());
    EXPECT_FALSE(button.getClickingTogglesState());
    EXPECT_EQ(&button.GetLookAndFeel(), &button.getLookAndFeel());

    EXPECT_EQ(0xFF000000u, colourOf(button, juce::TextButton::textColourOffId));
    EXPECT_EQ(0xFF000000u, colourOf(button, juce::TextButton::textColourOnId));
    // The backgrounds live in the look-and-feel, so the button finds them there.
    EXPECT_FALSE(button.isColourSpecified(juce::TextButton::buttonColourId));
    EXPECT_EQ(0xB3545454u, colourOf(button, juce::TextButton::buttonColourId));
    EXPECT_EQ(0xFF2265F7u, colourOf(button, juce::TextButton::buttonOnColourId));

    auto const font = button.GetLookAndFeel().getTextButtonFont(button, 10);
    EXPECT_EQ(juce::String("Arial"), font.getTypefaceName());
    EXPECT_TRUE(font.isBold());
    EXPECT_FLOAT_EQ(12.0f, font.getHeight());
    EXPECT_EQ(font, button.GetLookAndFeel().getTextButtonFont(button, 100));

    // The text is drawn in a bold face, also where the family is not installed: its strokes hold
    // more ink than those of the plain face.
    button.setBounds(0, 0, 60, 19);
    button.setButtonText("delete");
    button.setColour(juce::TextButton::buttonColourId, juce::Colours::transparentBlack);
    int const boldInk = guitest::countInk(guitest::render(button), button.getLocalBounds());
    button.SetFont(qgui::GetFont("Arial", "plain", 12.0f));
    int const plainInk = guitest::countInk(guitest::render(button), button.getLocalBounds());
    EXPECT_GT(boldInk, plainInk * 115 / 100) << boldInk << " against " << plainInk;

    button.triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(20);
    EXPECT_FALSE(button.getToggleState());
}

TEST(ButtonsTest, ToggleTextButtonStartsTogglingWithItsColoursAndFont)
{
    widgets::ToggleTextButton button(juce::CharPointer_UTF8("l\xc3\xa9"
                                                            "arn")
                                         .getAddress());
    EXPECT_EQ(juce::String("new toggle button"), button.getName());
    EXPECT_EQ(juce::String(juce::CharPointer_UTF8("l\xc3\xa9"
                                                  "arn")),
              button.getButtonText());
    EXPECT_TRUE(button.getClickingTogglesState());
    EXPECT_EQ(0xFF000000u, colourOf(button, juce::TextButton::textColourOffId));
    EXPECT_EQ(0xE68D8D8Du, colourOf(button, juce::TextButton::buttonColourId));
    EXPECT_EQ(0xFF2265F7u, colourOf(button, juce::TextButton::buttonOnColourId));

    auto const font = button.GetLookAndFeel().getTextButtonFont(button, 100);
    EXPECT_EQ(juce::String("Arial"), font.getTypefaceName());
    EXPECT_TRUE(font.isBold());
    EXPECT_FLOAT_EQ(12.0f, font.getHeight());

    ClickCounter counter;
    button.AddListener(&counter);
    button.triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(20);
    EXPECT_TRUE(button.getToggleState());
    EXPECT_EQ(1, counter.clicks);
    button.removeListener(&counter);
}

TEST(ButtonsTest, SetToggleStateNotifiesOnlyWhenAskedAndOnlyOnChange)
{
    widgets::ToggleTextButton button("sort");
    ClickCounter counter;
    button.AddListener(&counter);

    button.SetToggleState(true, false);
    EXPECT_TRUE(button.getToggleState());
    EXPECT_EQ(0, counter.clicks);

    button.SetToggleState(false, true);
    EXPECT_FALSE(button.getToggleState());
    EXPECT_EQ(1, counter.clicks) << "listeners are called before the setter returns";
    EXPECT_FALSE(counter.stateSeen);

    button.SetToggleState(false, true);
    EXPECT_EQ(1, counter.clicks) << "the same state again does nothing";
    button.SetToggleState(true, true);
    EXPECT_EQ(2, counter.clicks);
    EXPECT_TRUE(counter.stateSeen);
    button.removeListener(&counter);
}

TEST(ButtonsTest, ColoursAndFontsStayWithTheirButton)
{
    widgets::ToggleTextButton first("a");
    widgets::ToggleTextButton second("b");
    first.SetOnColor(juce::Colour(0xFF00FF00));
    first.SetFont(juce::Font("Arial", 20.0f, juce::Font::italic));
    EXPECT_EQ(0xFF00FF00u, colourOf(first, juce::TextButton::buttonOnColourId));
    EXPECT_EQ(0xFF2265F7u, colourOf(second, juce::TextButton::buttonOnColourId));
    EXPECT_FLOAT_EQ(20.0f, first.GetLookAndFeel().getTextButtonFont(first, 10).getHeight());
    EXPECT_FLOAT_EQ(12.0f, second.GetLookAndFeel().getTextButtonFont(second, 10).getHeight());

    // A colour set on the button itself wins over its look-and-feel's.
    first.setColour(juce::TextButton::buttonOnColourId, juce::Colour(0xFFFF0000));
    EXPECT_EQ(0xFFFF0000u, colourOf(first, juce::TextButton::buttonOnColourId));

    widgets::PushButton push("x");
    push.SetFont(juce::Font("Arial", 9.0f, juce::Font::plain));
    EXPECT_FLOAT_EQ(9.0f, push.GetLookAndFeel().getTextButtonFont(push, 30).getHeight());
    widgets::PushButton other("y");
    EXPECT_FLOAT_EQ(12.0f, other.GetLookAndFeel().getTextButtonFont(other, 30).getHeight());
}

TEST(ButtonsTest, TooltipsTakeUtf8AndResetButtonSaysReset)
{
    widgets::PushButton push("delete");
    push.SetTooltip(juce::CharPointer_UTF8("l\xc3\xb6schen").getAddress());
    EXPECT_EQ(juce::String(juce::CharPointer_UTF8("l\xc3\xb6schen")), push.getTooltip());

    widgets::ResetButton reset("x");
    EXPECT_EQ(juce::String("x"), reset.getButtonText());
    EXPECT_EQ(juce::String("reset"), reset.getTooltip());
    EXPECT_FALSE(reset.getClickingTogglesState());
    auto const font = reset.GetLookAndFeel().getTextButtonFont(reset, 20);
    EXPECT_EQ(juce::String("Arial"), font.getTypefaceName());
    EXPECT_FALSE(font.isBold());
    EXPECT_FLOAT_EQ(11.0f, font.getHeight());
}

TEST(ButtonsTest, PaintsItsBackgroundInEveryStateAndNothingWhenTooSmall)
{
    juce::Colour const pushOff(0xB3545454u);
    juce::Colour const toggleOff(0xE68D8D8Du);
    juce::Colour const on(0xFF2265F7u);
    struct Case
    {
        char const* what;
        bool toggle;
        std::function<void(juce::TextButton&)> set;
        juce::Colour base;
    };
    Case const cases[] = {
        {"idle", false, [](juce::TextButton&) {}, pushOff.withMultipliedAlpha(0.9f)},
        {"disabled", false, [](juce::TextButton& b) { b.setEnabled(false); },
         pushOff.withMultipliedAlpha(0.5f)},
        {"under the mouse", false, [](juce::TextButton& b) { b.setState(juce::Button::buttonOver); },
         pushOff.withMultipliedAlpha(0.9f).brighter(0.3f)},
        {"pressed", false, [](juce::TextButton& b) { b.setState(juce::Button::buttonDown); },
         on.brighter(0.3f)},
        {"toggled on", true, [](juce::TextButton& b) { b.setToggleState(true, juce::dontSendNotification); },
         on.withMultipliedAlpha(0.9f)},
        {"toggle pressed", true, [](juce::TextButton& b) { b.setState(juce::Button::buttonDown); },
         toggleOff.withMultipliedAlpha(0.9f).brighter(0.3f).contrasting(0.2f)},
    };
    for (auto const& c : cases)
    {
        // The rows' size, without text: only the background is drawn.
        std::unique_ptr<juce::TextButton> button;
        if (c.toggle)
            button = std::make_unique<widgets::ToggleTextButton>("");
        else
            button = std::make_unique<widgets::PushButton>("");
        button->setBounds(0, 0, 60, 19);
        c.set(*button);
        auto const image = guitest::render(*button);
        // The body is a vertical gradient from the base brightened to the base darkened.
        auto const middle = c.base.brighter(0.2f).interpolatedWith(c.base.darker(0.25f), 9.5f / 18.0f);
        EXPECT_TRUE(guitest::colourNear(middle, image.getPixelAt(30, 9))) << c.what;
        EXPECT_EQ(0, image.getPixelAt(0, 0).getAlpha()) << c.what << ": the corner is rounded";
        if (std::string(c.what) == "pressed")
        {
            // The edge, measured: a black line at 0.8 of the base's alpha over the highlight and the
            // half-covered edge of the body.
            EXPECT_TRUE(guitest::colourNear(juce::Colour(0xEF191C23u), image.getPixelAt(0, 9)));
            // A connected corner is square.
            button->setConnectedEdges(juce::Button::ConnectedOnLeft);
            EXPECT_NE(0, guitest::render(*button).getPixelAt(0, 0).getAlpha());
        }
    }

    // Too small for a background; painting any size in any state is harmless.
    std::unique_ptr<juce::TextButton> buttons[] = {std::make_unique<widgets::PushButton>(""),
                                                   std::make_unique<widgets::ToggleTextButton>(""),
                                                   std::make_unique<widgets::ResetButton>("")};
    for (auto& button : buttons)
    {
        for (auto const& size : {juce::Point<int>(0, 0), juce::Point<int>(1, 1), juce::Point<int>(1, 20),
                                 juce::Point<int>(60, 1)})
        {
            button->setSize(size.x, size.y);
            for (auto const state : {juce::Button::buttonNormal, juce::Button::buttonDown})
            {
                button->setState(state);
                juce::Image image(juce::Image::ARGB, 120, 40, true);
                {
                    juce::Graphics g(image);
                    button->paintEntireComponent(g, true);
                }
                EXPECT_EQ(0, guitest::countDrawn(image)) << size.x << " x " << size.y;
            }
        }
    }
}
