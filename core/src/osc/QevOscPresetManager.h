#pragma once

#include "common/QevException.h"
#include "files/QevFile.h"
#include "memory/QevVector.h"
#include "text/QevString.h"

#include <cstdint>

namespace qev
{

class MessageFlag;
class OscInterface;

// Keeps the preset files of one OSC-controlled object: saves its current state to a file and
// sends a loaded file back through the object's bundle processing, telling its listeners before
// and after. The file's extension chooses the form: ".txt" (one message per line, also for a
// name without extension), ".osc" (one binary OSC packet) or ".coll" (the host's coll text).
// The object and the listeners are not owned; one manager is used by one thread at a time.
class OscPresetManager
{
public:
    enum class PresetFormat : std::int32_t
    {
        Text = 0,
        OscBinary = 1,
        Coll = 2
    };

    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void AboutToLoadPreset(OscInterface& /*owner*/) {}
        virtual void PresetLoaded(OscInterface& /*owner*/, File const& /*file*/) {}
        virtual void PresetSaved(OscInterface& /*owner*/, File const& /*file*/) {}
    };

    // Presets may load presets; a chain of loads deeper than this is refused.
    static constexpr unsigned long maximumLoadDepth = 16;

    explicit OscPresetManager(OscInterface* owner) noexcept;
    OscPresetManager(OscPresetManager const&) = delete;
    OscPresetManager& operator=(OscPresetManager const&) = delete;
    ~OscPresetManager();

    // Null, or a listener already registered, is ignored. There is no removal.
    void AddListener(Listener* listener);

    OscInterface* GetOwner() const noexcept { return owner; }

    // Saves the owner's current state, replacing an existing file (the old one goes to the
    // trash). A name without extension gets ".txt". True when the whole file was written; on
    // false the old file is untouched and nothing is recorded or announced. Throws
    // qev::Exception for an extension that is not a preset form.
    bool SavePreset(File const& file);

    // Reads the file and hands its messages to the owner's processBundle with the given flag;
    // the result is processBundle's (false when some message was not handled, which the owner
    // has reported). A preset that was read counts as loaded even then. Throws
    // exceptions::NoSuchFile for a missing file, before any listener hears of it, and
    // qev::Exception for a file that is already being loaded further up the chain (a preset
    // that loads itself), for a chain deeper than maximumLoadDepth, for an unknown extension
    // and for a file that cannot be read or parsed; nothing of a file that fails is applied.
    bool LoadPreset(File const& file, MessageFlag const& flag);

    // Each is File::NonExistent() until a save or load succeeds.
    File const& GetLastLoadedFile() const noexcept { return lastLoadedFile; }
    File const& GetLastSavedFile() const noexcept { return lastSavedFile; }
    // Whichever of the two was set last.
    File const& GetCurrentFile() const noexcept { return currentFile; }
    // True while a preset is being read and applied.
    bool IsLoadingPreset() const noexcept { return loadingPreset; }

    // Text for a name without extension; throws qev::Exception for any extension other than
    // the three forms'.
    static PresetFormat formatFromExtension(File const& file);

    bool savePreset(File const& file, Overwrite const& overwrite, PresetFormat const& format) const;
    bool loadPreset(File const& file, PresetFormat const& format, MessageFlag const& flag);
    bool loadPresetFromOscBinary(File const& file, MessageFlag const& flag);

private:
    void checkNotLoadingAlready(File const& file) const;

    OscInterface* owner;
    File lastLoadedFile;
    File lastSavedFile;
    File currentFile;
    bool loadingPreset = false;
    Vector<Listener*> listeners;
    // The chain of loads in progress, outermost first.
    Vector<String> filesBeingLoaded;
};

} // namespace qev
