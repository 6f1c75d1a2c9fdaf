#include "osc/QevOscInterface.h"

#include "common/QevExceptions.h"
#include "osc/QevCommonPatterns.h"
#include "osc/QevOscAddressMap.h"

#include <initializer_list>

namespace qev
{

namespace
{
bool matchesAny(OscMessage const& message, std::initializer_list<char const*> addresses)
{
    // In the given order, and no further than the first match: each address tried enters the
    // address cache, and "/post/symbols" shows which ones were.
    for (auto const* address : addresses)
        if (message.PatternMatches(address))
            return true;
    return false;
}

String quotedMessage(OscMessage const& message)
{
    return String("when processing ") + message.ToString().Quoted('"');
}

// A blank name would resolve to the presets folder itself, or to the home folder.
String const& checkedFileName(OscMessage const& message)
{
    String const& name = message.GetArgument(0).GetString();
    if (!name.ContainsNonWhitespaceCharacters())
        throw Exception(String("no preset file name given"), SourceLineInfo("QevOscInterface", __LINE__),
                        true, false);
    return name;
}

File withDefaultExtension(File file)
{
    if (!file.HasAnExtension())
        file.AppendExtension(String(".txt"));
    return file;
}
} // namespace

OscInterface::OscInterface() : presetManager(this)
{
    presetManager.AddListener(this);
}

OscInterface::~OscInterface() = default;

bool OscInterface::ProcessMessage(OscMessage const& /*message*/, MessageFlag const& /*flag*/)
{
    return false;
}

OscBundle OscInterface::GetCurrentStateAsOscBundle() const
{
    return OscBundle();
}

MaxMspDocumentation OscInterface::GetMaxMspDocumentation() const
{
    return MaxMspDocumentation();
}

//==============================================================================================
// Bundle walk and reports

bool OscInterface::processBundle(OscBundle const& bundle, MessageFlag const& flag)
{
    bool allHandled = true;
    for (auto const& element : bundle)
    {
        if (auto const* nested = element.GetBundle())
        {
            allHandled = processBundle(*nested, flag) && allHandled;
            continue;
        }
        auto const* message = element.GetMessage();
        if (message == nullptr)
            continue;
        // Anything that is not a standard exception is not ours to judge: it ends the walk.
        try
        {
            if (!ProcessMessage(*message, flag))
            {
                allHandled = false;
                notifyUnhandledMessage(*message);
            }
        }
        catch (exceptions::ExceptionalWarning const& e)
        {
            allHandled = false;
            handleException(e, *message, Notification::Warning);
        }
        catch (std::exception const& e)
        {
            allHandled = false;
            handleException(e, *message, Notification::Error);
        }
    }
    return allHandled;
}

void OscInterface::notifyUnhandledMessage(OscMessage const& message) const
{
    SendError(quotedMessage(message));
}

void OscInterface::handleException(std::exception const& e, OscMessage const& message,
                                   Notification const& kind) const
{
    String text = quotedMessage(message);
    char const* reason = e.what();
    if (reason != nullptr && reason[0] != '\0')
        text << ". Reason: " << reason;
    Send(kind, text);
}

//==============================================================================================
// Common commands

bool OscInterface::ProcessCommonMessage(OscMessage const& message, MessageFlag const& flag)
{
    auto const& pattern = message.GetAddressPattern();
    auto const numArguments = message.GetNumArguments();

    // The argument shape picks at most one prefix, so most messages cost no full match at all.
    if (numArguments == 1 && message.GetArgument(0).GetType() == 's')
    {
        if (pattern.StartsWith(CommonPatterns::preset()))
        {
            // Saving is tried first, so "/preset/*" saves.
            if (matchesAny(message, {"/preset/export", "/preset/save", "/preset/store"}))
            {
                auto const file = File::CleanPresetFilenameFromMaxMSP(checkedFileName(message));
                return presetManager.SavePreset(withDefaultExtension(file));
            }
            if (matchesAny(message, {"/preset/load", "/preset/import", "/preset/recall"}))
            {
                auto const file = File::LoadFilenameFromMaxMsp(checkedFileName(message));
                return presetManager.LoadPreset(withDefaultExtension(file), flag);
            }
        }
    }
    else if (numArguments == 0 && pattern.StartsWith(CommonPatterns::post()))
    {
        if (processPostCommand(message))
            return true;
    }

    if (pattern.GetNumParts() >= 2 && pattern.StartsWith(CommonPatterns::set()))
        return processSetCommand(message);
    return false;
}

bool OscInterface::processPostCommand(OscMessage const& message)
{
    if (message.PatternMatches("/post/state"))
    {
        SendMessage(GetCurrentStateAsOscBundle().Flattened().ToStringArray());
        return true;
    }
    if (message.PatternMatches("/post/doc"))
    {
        SendMessage(GetOscDocumentation(true).ToStringArray(false));
        return true;
    }
    if (message.PatternMatches("/post/version"))
        return true;
    if (message.PatternMatches("/post/symbols"))
    {
        SendMessage(OscAddressMap::GetGlobalSymbols().GetKeys());
        return true;
    }
    return false;
}

bool OscInterface::processSetCommand(OscMessage const& message)
{
    // One level per call, as "/set/set/foo" hands on "/set/foo"; the object's own ProcessMessage
    // brings the rest back here, so the depth is bounded across those calls.
    if (setDepth >= maximumSetDepth)
        throw Exception(String("more than ") + String(maximumSetDepth) + " nested \"/set\" prefixes",
                        SourceLineInfo("QevOscInterface", __LINE__), true, false);

    OscMessage rest(message);
    rest.GetAddressPattern().TrimFirstPattern();

    struct DepthGuard
    {
        explicit DepthGuard(int& depth_) noexcept : depth(depth_) { ++depth; }
        ~DepthGuard() { --depth; }
        int& depth;
    } const guard(setDepth);
    return ProcessMessage(rest, MessageFlag(MessageFlag::setPrefix));
}

//==============================================================================================
// Documentation

OscDocumentation OscInterface::GetOscDocumentation(bool withCommonCommands) const
{
    OscDocumentation doc;
    if (!withCommonCommands)
        return doc;

    String const none;
    doc.Add(OscAddressPattern("/post/version"), none, "print the version in the Max Console", "post version");
    doc.Add(OscAddressPattern("/post/doc"), none, "print the help documentation in the Max Console",
            "post documentation");
    doc.Add(OscAddressPattern("/post/state"), none, "print the OSC status in the Max Console",
            "post current state");
    doc.Add(OscAddressPattern(CommonPatterns::dump()), none,
            "send the current state of the object through the dump outlet", "dump current state");
    doc.Add(OscAddressPattern("/preset/load"), 's', "load a preset from file (.txt, .osc, .coll)",
            "load preset");
    doc.Add(OscAddressPattern("/preset/export"), 's', "export a preset to file (.txt, .osc, .coll)",
            "export preset");

    // The help and status windows carry these out; every object documents them alike.
    struct WindowWords
    {
        OscAddress const& address;
        char const* name;
    };
    for (auto const& window :
         {WindowWords{CommonPatterns::status(), "status"}, WindowWords{CommonPatterns::help(), "help"}})
    {
        String const prefix = window.address.GetText();
        String const name(window.name);
        String const openText = "open the " + name + " window and bring it to front";
        String const openLabel = "open " + name + " window";
        doc.Add(OscAddressPattern(window.address), none, openText, openLabel);
        doc.Add(OscAddressPattern(prefix + "/open"), none, openText, openLabel);
        doc.Add(OscAddressPattern(prefix + "/close"), none, "close the " + name + " window",
                "close " + name + " window");
        doc.Add(OscAddressPattern(prefix + "/openorclose"), none,
                "open the " + name + " window if it was closed; close it if it was opened", openLabel);
        doc.Add(OscAddressPattern(prefix + "/font/size"), 'n', "set the font size of the " + name + " window",
                "font size for " + name + " window");
    }
    return doc;
}

} // namespace qev
