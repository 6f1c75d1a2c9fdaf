#pragma once

#include "common/QevMaxConsoleNotifier.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscDocumentation.h"
#include "osc/QevOscMessage.h"
#include "osc/QevOscPresetManager.h"
#include "text/QevString.h"

#include <cstdint>
#include <exception>
#include <utility>

namespace qev
{

// Travels with every message and bundle handed to an OSC-controlled object. The interface never
// reads it; it only passes it on, except that the rest of a "/set" message goes on with 1.
class MessageFlag
{
public:
    static constexpr std::int32_t snapshotRecall = 0;
    static constexpr std::int32_t setPrefix = 1;

    explicit constexpr MessageFlag(std::int32_t value_) noexcept : value(value_) {}

    constexpr std::int32_t GetValue() const noexcept { return value; }
    constexpr bool operator==(MessageFlag const& other) const noexcept { return value == other.value; }
    constexpr bool operator!=(MessageFlag const& other) const noexcept { return value != other.value; }

private:
    std::int32_t value;
};

// How an OSC-controlled object presents itself in the host's help.
struct MaxMspDocumentation
{
    MaxMspDocumentation() = default;
    MaxMspDocumentation(String title_, String description_, String details_, String relatedObjects_)
        : title(std::move(title_)), description(std::move(description_)), details(std::move(details_)),
          relatedObjects(std::move(relatedObjects_))
    {
    }

    String title;
    String description;
    String details;
    // Related host objects, separated by ", ".
    String relatedObjects;
};

// The base of every object driven by OSC messages. A subclass overrides ProcessMessage (calling
// ProcessCommonMessage for the commands every object shares), its state, and its documentation.
// Bundles go through processBundle, which reports every message that is not handled or that
// fails to the console listeners. One object is used by one thread at a time.
class OscInterface : public MaxConsoleNotifier, public OscPresetManager::Listener
{
public:
    // The deepest chain of "/set" prefixes that one message may carry.
    static constexpr int maximumSetDepth = 64;

    OscInterface();
    OscInterface(OscInterface const&) = delete;
    OscInterface& operator=(OscInterface const&) = delete;
    ~OscInterface() override;

    // True when the message was handled. The base handles nothing.
    virtual bool ProcessMessage(OscMessage const& message, MessageFlag const& flag);
    // The state that replays the object when processed; the base has none.
    virtual OscBundle GetCurrentStateAsOscBundle() const;
    // With withCommonCommands, the commands every object shares; otherwise empty.
    virtual OscDocumentation GetOscDocumentation(bool withCommonCommands) const;
    virtual MaxMspDocumentation GetMaxMspDocumentation() const;

    // Hands every message, nested bundles included, to ProcessMessage in order. A message that
    // is not handled is reported as an error; a standard exception is reported (a warning for
    // exceptions::ExceptionalWarning, an error otherwise) and the walk goes on. True when every
    // message was handled.
    virtual bool processBundle(OscBundle const& bundle, MessageFlag const& flag);

    // The commands every object shares: "/preset/..." with one file name, "/post/..." without
    // arguments, and the "/set" prefix. True when the message was one of them; reports nothing.
    bool ProcessCommonMessage(OscMessage const& message, MessageFlag const& flag);

    OscPresetManager& GetPresetManager() noexcept { return presetManager; }
    OscPresetManager const& GetPresetManager() const noexcept { return presetManager; }

protected:
    void notifyUnhandledMessage(OscMessage const& message) const;
    void handleException(std::exception const& e, OscMessage const& message, Notification const& kind) const;

private:
    bool processPostCommand(OscMessage const& message);
    bool processSetCommand(OscMessage const& message);

    OscPresetManager presetManager;
    // "/set" levels being processed right now, so that a message of thousands of "/set" parts
    // ends in a report rather than a stack overflow.
    int setDepth = 0;
};

} // namespace qev
