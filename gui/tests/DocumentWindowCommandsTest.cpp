#include "GuiTestHelpers.h"
#include "common/QguiDocumentWindow.h"
#include "common/QguiFunctions.h"
#include "common/QguiNativeWindow.h"
#include "common/QguiRuntime.h"

#include <gtest/gtest.h>

#include <chrono>

using guitest::pumpUntil;

namespace
{

constexpr juce::CommandID fullScreen = 0x9000;
constexpr juce::CommandID closeWindow = 0x9001;
constexpr juce::CommandID maximizeWindow = 0x9002;

juce::Component* content()
{
    auto* component = new juce::Component;
    component->setSize(300, 200);
    return component;
}

juce::ApplicationCommandTarget::InvocationInfo invocation(juce::CommandID id)
{
    return juce::ApplicationCommandTarget::InvocationInfo(id);
}

juce::KeyPressMappingSet& mappings()
{
    return *qgui::GetApplicationCommandManager()->getKeyMappings();
}

// The shortcuts are process-wide: every test leaves them as it found them.
struct DefaultShortcuts
{
    DefaultShortcuts() { mappings().resetToDefaultMappings(); }
    ~DefaultShortcuts() { mappings().resetToDefaultMappings(); }
};

juce::KeyPress key(char character, int modifiers)
{
    return juce::KeyPress(character, juce::ModifierKeys(modifiers), 0);
}

// What maximize gives: the user area, without the panels of a desktop that says where they are
// and less the window manager's frame where there is one.
juce::Rectangle<int> maximizedBounds(juce::Component& window, juce::Rectangle<int> userArea)
{
    if (auto const work = qgui::NativeWindow::WorkArea())
        userArea = userArea.getIntersection(*work);
    auto const frame = window.getPeer()->getFrameSizeIfPresent();
    return frame ? (*frame).subtractedFrom(userArea) : userArea;
}

} // namespace

TEST(DocumentWindowCommands, AreTheThreeWindowCommandsWithTheirDefaultKeys)
{
    qgui::DocumentWindow window(content());
    juce::Array<juce::CommandID> commands;
    window.getAllCommands(commands);
    ASSERT_EQ(3, commands.size());
    EXPECT_EQ(fullScreen, commands[0]);
    EXPECT_EQ(closeWindow, commands[1]);
    EXPECT_EQ(maximizeWindow, commands[2]);

    int const ctrl = juce::ModifierKeys::ctrlModifier;
    int const command = juce::ModifierKeys::commandModifier;
    struct Expected
    {
        juce::CommandID id;
        char const* name;
        char const* description;
        std::vector<juce::KeyPress> keys;
    };
    std::vector<Expected> const expected{
        {fullScreen, "full screen", "set full screen", {key('f', ctrl), key('f', command)}},
        {closeWindow, "close window", "close window", {key('w', ctrl), key('w', command)}},
        {maximizeWindow,
         "maximize window",
         "maximize window",
         {key('f', juce::ModifierKeys::shiftModifier)}}};
    for (auto const& e : expected)
    {
        juce::ApplicationCommandInfo info(e.id);
        window.getCommandInfo(e.id, info);
        EXPECT_EQ(juce::String(e.name), info.shortName);
        EXPECT_EQ(juce::String(e.description), info.description);
        EXPECT_EQ(juce::String("window"), info.categoryName);
        EXPECT_EQ(0, info.flags);
        ASSERT_EQ(static_cast<int>(e.keys.size()), info.defaultKeypresses.size()) << e.name;
        for (std::size_t i = 0; i < e.keys.size(); ++i)
            EXPECT_EQ(e.keys[i], info.defaultKeypresses[static_cast<int>(i)]) << e.name;
    }

    // Another command leaves the info untouched.
    juce::ApplicationCommandInfo other(0x1234);
    other.setInfo("mine", "my command", "other", 3);
    window.getCommandInfo(0x1234, other);
    EXPECT_EQ(juce::String("mine"), other.shortName);
    EXPECT_EQ(3, other.flags);
    EXPECT_TRUE(other.defaultKeypresses.isEmpty());
}

TEST(DocumentWindowCommands, AreSharedByAllWindowsAndKeepTheUsersShortcuts)
{
    DefaultShortcuts defaults;
    auto* manager = qgui::GetApplicationCommandManager();
    {
        qgui::DocumentWindow first(content());
        for (auto id : {fullScreen, closeWindow, maximizeWindow})
            EXPECT_NE(nullptr, manager->getCommandForID(id));
        EXPECT_EQ(fullScreen, mappings().findCommandForKeyPress(key('f', juce::ModifierKeys::ctrlModifier)));
        EXPECT_EQ(maximizeWindow,
                  mappings().findCommandForKeyPress(key('f', juce::ModifierKeys::shiftModifier)));

        EXPECT_TRUE(first.getWantsKeyboardFocus());

        mappings().clearAllKeyPresses(closeWindow);
        mappings().addKeyPress(closeWindow, key('q', juce::ModifierKeys::altModifier));
    }
    // A window made later, after the first is gone, registers again without undoing the change.
    qgui::DocumentWindow second(nullptr);
    auto const keys = mappings().getKeyPressesAssignedToCommand(closeWindow);
    ASSERT_EQ(1, keys.size());
    EXPECT_TRUE(keys.contains(key('q', juce::ModifierKeys::altModifier)));
}

TEST(DocumentWindowCommands, UnknownCommandOrNoDisplayChangesNothing)
{
    qgui::DocumentWindow window(content());
    auto const bounds = window.getBounds();
    EXPECT_FALSE(window.perform(invocation(0x1234)));
    EXPECT_EQ(bounds, window.getBounds());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(qgui::Runtime::HasDisplay(), window.isOnDesktop());

    // Close hides and takes the window off the desktop, opened or not.
    EXPECT_TRUE(window.perform(invocation(closeWindow)));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isOnDesktop());

    // Full screen and maximize need the window's display: off the desktop they do nothing.
    EXPECT_FALSE(window.perform(invocation(fullScreen)));
    EXPECT_FALSE(window.isKioskMode());
    if (!qgui::Runtime::HasDisplay())
    {
        EXPECT_FALSE(window.perform(invocation(maximizeWindow)));
    }
    EXPECT_EQ(bounds.getWidth(), window.getWidth());
}

TEST(DocumentWindowCommands, TitleBarButtonsFollowTheFlags)
{
    qgui::DocumentWindow window(nullptr);
    int const all = juce::ComponentPeer::windowHasMinimiseButton |
                    juce::ComponentPeer::windowHasMaximiseButton | juce::ComponentPeer::windowHasCloseButton;
    EXPECT_TRUE(window.HasCloseButton() && window.HasMinimiseButton() && window.HasMaximiseButton());
    EXPECT_FALSE(window.GetHidesOnDeactivate());
    EXPECT_EQ(all, window.getDesktopWindowStyleFlags() & all);

    window.SetHasCloseButton(false);
    EXPECT_EQ(all & ~juce::ComponentPeer::windowHasCloseButton, window.getDesktopWindowStyleFlags() & all);
    window.SetHasMinimiseButton(false);
    window.SetHasMaximiseButton(false);
    EXPECT_EQ(0, window.getDesktopWindowStyleFlags() & all);
    // The base's own button list plays no part.
    EXPECT_NE(0, window.getDesktopWindowStyleFlags() & juce::ComponentPeer::windowIsResizable);

    window.SetHidesOnDeactivate(true);
    EXPECT_TRUE(window.GetHidesOnDeactivate());
}

TEST(DocumentWindowCommands, CentringHalvesTowardZero)
{
    EXPECT_EQ(juce::Point<int>(320, 262),
              qgui::DocumentWindow::CentredPosition(juce::Rectangle<int>(0, 25, 1440, 875), 801, 400));
}

TEST(DocumentWindowCommandsOnDisplay, MappedKeysInvokeTheCommandsOfTheWindow)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a";
    DefaultShortcuts defaults;
    auto window = std::make_unique<qgui::DocumentWindow>(content());
    ASSERT_TRUE(window->SetVisibleAndToFront());
    qgui::Runtime::Pump();
    auto* peer = window->getPeer();
    ASSERT_NE(nullptr, peer);

    auto* display =
        juce::Desktop::getInstance().getDisplays().getDisplayForPoint(window->getScreenPosition());
    ASSERT_NE(nullptr, display);
    // Through X, with a Ctrl and an Alt down for the framework that were released where the window
    // did not see them (a window manager had the keyboard): the key event says which modifiers are down.
    // A round trip between two pumps would take in the event where the framework does not look.
    auto const maximized = maximizedBounds(*window, display->userArea);
    juce::ModifierKeys::currentModifiers =
        juce::ModifierKeys(juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::altModifier);
    ASSERT_TRUE(guitest::sendKey(*peer, 'f', true));
    EXPECT_TRUE(pumpUntil([&] { return window->getBounds() == maximized; })) << window->getBounds().toString();

    EXPECT_TRUE(peer->handleKeyPress(key('w', juce::ModifierKeys::ctrlModifier)));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->isOnDesktop());

    // Without a close button the close command and its keys still work.
    window->SetHasCloseButton(false);
    ASSERT_TRUE(window->SetVisibleAndToFront());
    qgui::Runtime::Pump();
    peer = window->getPeer();
    ASSERT_NE(nullptr, peer);
    EXPECT_EQ(0, peer->getStyleFlags() & juce::ComponentPeer::windowHasCloseButton);
    EXPECT_NE(0, peer->getStyleFlags() & juce::ComponentPeer::windowHasMinimiseButton);
    EXPECT_TRUE(peer->handleKeyPress(key('w', juce::ModifierKeys::ctrlModifier)));
    EXPECT_FALSE(window->isOnDesktop());

    // Deleting a window in full screen leaves full screen.
    ASSERT_TRUE(window->SetVisibleAndToFront());
    EXPECT_TRUE(window->perform(invocation(fullScreen)));
    window.reset();
    EXPECT_EQ(nullptr, juce::Desktop::getInstance().getKioskModeComponent());
}
