#include "osc/QevOscPresetManager.h"

#include "common/QevExceptions.h"
#include "files/QevBinaryFile.h"
#include "memory/QevMemoryBlock.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscInterface.h"

namespace qev
{

namespace
{

// Puts a value back on every way out of a scope.
template <typename T> class ScopedValue
{
public:
    ScopedValue(T& variable_, T const& newValue) : variable(variable_), oldValue(variable_)
    {
        variable = newValue;
    }
    ~ScopedValue() { variable = oldValue; }
    ScopedValue(ScopedValue const&) = delete;
    ScopedValue& operator=(ScopedValue const&) = delete;

private:
    T& variable;
    T const oldValue;
};

// Keeps a file on the chain of loads in progress for as long as its load lasts.
class ChainEntry
{
public:
    ChainEntry(Vector<String>& chain_, String const& path) : chain(chain_) { chain.PushBack(path); }
    ~ChainEntry() { chain.Remove(chain.GetSize() - 1); }
    ChainEntry(ChainEntry const&) = delete;
    ChainEntry& operator=(ChainEntry const&) = delete;

private:
    Vector<String>& chain;
};

} // namespace

OscPresetManager::OscPresetManager(OscInterface* owner_) noexcept
    : owner(owner_), lastLoadedFile(File::NonExistent()), lastSavedFile(File::NonExistent()),
      currentFile(File::NonExistent())
{
}

OscPresetManager::~OscPresetManager() = default;

void OscPresetManager::AddListener(Listener* listener)
{
    if (listener != nullptr && !listeners.Contains(listener))
        listeners.PushBack(listener);
}

OscPresetManager::PresetFormat OscPresetManager::formatFromExtension(File const& file)
{
    if (!file.HasAnExtension() || file.HasFileExtension(String(".txt")))
        return PresetFormat::Text;
    if (file.HasFileExtension(String(".osc")))
        return PresetFormat::OscBinary;
    if (file.HasFileExtension(String(".coll")))
        return PresetFormat::Coll;
    throw Exception(String("unexpected file extension for file ") + file.GetFullPathName().Quoted('"'),
                    SourceLineInfo("QevOscPresetManager", 130), true, false);
}

//==============================================================================================
// Saving

bool OscPresetManager::SavePreset(File const& file)
{
    File target(file);
    if (!target.HasAnExtension())
        target.AppendExtension(String(".txt"));
    auto const format = formatFromExtension(target);

    if (!savePreset(target, Overwrite::Replace, format))
        return false;

    lastSavedFile = target;
    currentFile = lastSavedFile;
    for (auto* listener : listeners)
        listener->PresetSaved(*owner, lastSavedFile);
    return true;
}

bool OscPresetManager::savePreset(File const& file, Overwrite const& overwrite,
                                  PresetFormat const& format) const
{
    OscBundle const state = owner->GetCurrentStateAsOscBundle();
    switch (format)
    {
    case PresetFormat::Text:
        return state.SaveAsTextFile(file, overwrite, String::NewLine());
    case PresetFormat::OscBinary:
        return state.SaveAsBinaryFile(file, overwrite);
    case PresetFormat::Coll:
        return state.SaveAsCollFile(file, overwrite);
    }
    return false;
}

//==============================================================================================
// Loading

void OscPresetManager::checkNotLoadingAlready(File const& file) const
{
    // A preset that loads itself, directly or through others, would recurse until the stack
    // runs out; the depth limit also catches a loop through different names of one file.
    for (auto const& path : filesBeingLoaded)
        if (path == file.GetFullPathName())
            throw Exception(String("the preset ") + file.GetFullPathName().Quoted('"') +
                                " is already being loaded",
                            SourceLineInfo("QevOscPresetManager", __LINE__), true, false);
    if (filesBeingLoaded.GetSize() >= maximumLoadDepth)
        throw Exception(String("presets loading presets nested more than ") + String(maximumLoadDepth) +
                            " deep, at " + file.GetFullPathName().Quoted('"'),
                        SourceLineInfo("QevOscPresetManager", __LINE__), true, false);
}

bool OscPresetManager::LoadPreset(File const& file, MessageFlag const& flag)
{
    if (!file.ExistsAsFile())
        throw exceptions::NoSuchFile(file, SourceLineInfo("QevOscPresetManager", 218));
    checkNotLoadingAlready(file);

    // Stays on the chain until the listeners have heard of the load, so that a listener that
    // loads the same preset again is refused as well.
    ChainEntry const entry(filesBeingLoaded, file.GetFullPathName());

    for (auto* listener : listeners)
        listener->AboutToLoadPreset(*owner);

    bool result = false;
    {
        // A nested load must hand the outer load its flag back, not clear it.
        ScopedValue<bool> const loading(loadingPreset, true);
        try
        {
            result = loadPreset(file, formatFromExtension(file), flag);
        }
        catch (Exception const& e)
        {
            throw Exception(e.GetMessage(), e.GetLocation(), true, false);
        }
    }

    lastLoadedFile = file;
    currentFile = lastLoadedFile;
    for (auto* listener : listeners)
        listener->PresetLoaded(*owner, lastLoadedFile);
    return result;
}

bool OscPresetManager::loadPreset(File const& file, PresetFormat const& format, MessageFlag const& flag)
{
    switch (format)
    {
    case PresetFormat::Text:
        return owner->processBundle(OscBundle::CreateFromTextFile(file), flag);
    case PresetFormat::Coll:
        return owner->processBundle(OscBundle::CreateFromCollFile(file), flag);
    case PresetFormat::OscBinary:
        return loadPresetFromOscBinary(file, flag);
    }
    return false;
}

bool OscPresetManager::loadPresetFromOscBinary(File const& file, MessageFlag const& flag)
{
    MemoryBlock const data = BinaryFile::ReadData(file);
    return owner->processBundle(OscBundle::CreateFromData(data.GetData(), data.GetSize()), flag);
}

} // namespace qev
