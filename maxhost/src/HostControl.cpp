// Message dispatch as the host does it for typed text, and loading a bundle.

#include "HostState.h"
#include "maxhost_gui_hook.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <exception>

using namespace maxhost::detail;

namespace
{

// Flag bit of an attribute that the user may not set by message.
constexpr long attrNotUserSettable = 0x200;

MethodEntry const* findMethod(maxclass const& c, symbol* name)
{
    auto const found = c.methods.find(name);
    return found != c.methods.end() ? &found->second : nullptr;
}

AttributeRecord* findAttribute(maxclass const& c, symbol* name)
{
    for (AttributeRecord* attribute : c.attributes)
        if (attribute->name == name)
            return attribute;
    return nullptr;
}

void callWithMessage(MethodEntry const& entry, object* x, symbol* selector, long argc, atom* argv)
{
    guarded(std::string("method ") + selector->s_name,
            [&]
            {
                if (entry.type == A_GIMME)
                    reinterpret_cast<void (*)(object*, symbol*, long, atom*)>(entry.fn)(x, selector, argc,
                                                                                        argv);
                else
                    reinterpret_cast<void (*)(object*)>(entry.fn)(x);
            });
}

bool setAttribute(object* x, AttributeRecord& attribute, long argc, atom* argv)
{
    std::string const name = attribute.name->s_name;
    if (attribute.flags & attrNotUserSettable)
    {
        note("attribute " + name + " cannot be set");
        return false;
    }
    if (attribute.setter != nullptr)
    {
        return guarded("setter of " + name,
                       [&]
                       {
                           reinterpret_cast<max_err (*)(object*, object*, long, atom*)>(attribute.setter)(
                               x, &attribute.header, argc, argv);
                       });
    }
    if (argc < 1)
    {
        note("attribute " + name + " needs a value");
        return false;
    }
    if (!setAttributeValue(x, attribute, argv[0]))
    {
        note("attribute " + name + " needs a number");
        return false;
    }
    return true;
}

} // namespace

namespace maxhost
{

bool SendMessage(object* x, symbol* selector, long argc, atom* argv)
{
    InstanceRecord* const record = instanceOf(x);
    if (record == nullptr || selector == nullptr)
    {
        note("a message needs an object and a selector");
        return false;
    }
    if (argc < 0 || argv == nullptr)
        argc = 0;
    maxclass const& c = *record->owningClass;
    if (MethodEntry const* const entry = findMethod(c, selector))
    {
        if (entry->type == A_CANT)
        {
            note(std::string(selector->s_name) + " cannot be sent as a message");
            return false;
        }
        callWithMessage(*entry, x, selector, argc, argv);
        return true;
    }
    if (AttributeRecord* const attribute = findAttribute(c, selector))
        return setAttribute(x, *attribute, argc, argv);
    static symbol* const anything = gensym("anything");
    if (MethodEntry const* const entry = findMethod(c, anything); entry != nullptr && entry->type != A_CANT)
    {
        callWithMessage(*entry, x, selector, argc, argv);
        return true;
    }
    note(c.name + " has no method for " + selector->s_name);
    return false;
}

bool Assist(object* x, long io, long index, std::string& text)
{
    InstanceRecord* const record = instanceOf(x);
    if (record == nullptr)
        return false;
    MethodEntry const* const entry = findMethod(*record->owningClass, gensym("assist"));
    if (entry == nullptr)
        return false;
    char buffer[HOST_FILENAME_CHARS] = {};
    guarded("method assist",
            [&] {
                reinterpret_cast<void (*)(object*, void*, long, long, char*)>(entry->fn)(x, nullptr, io,
                                                                                         index, buffer);
            });
    buffer[sizeof buffer - 1] = '\0';
    text = buffer;
    return true;
}

bool DoubleClick(object* x)
{
    InstanceRecord* const record = instanceOf(x);
    if (record == nullptr)
        return false;
    MethodEntry const* const entry = findMethod(*record->owningClass, gensym("dblclick"));
    if (entry == nullptr)
        return false;
    guarded("method dblclick", [&] { reinterpret_cast<void (*)(object*)>(entry->fn)(x); });
    return true;
}

bool GetAttribute(object* x, symbol* name, atom_long& value)
{
    InstanceRecord* const record = instanceOf(x);
    if (record == nullptr)
        return false;
    AttributeRecord* const attribute = findAttribute(*record->owningClass, name);
    if (attribute == nullptr)
        return false;
    if (attribute->getter != nullptr)
    {
        atom result{};
        atom* results = &result;
        long count = 1;
        if (!guarded("getter of " + std::string(name->s_name),
                     [&]
                     {
                         reinterpret_cast<max_err (*)(object*, object*, long*, atom**)>(attribute->getter)(
                             x, &attribute->header, &count, &results);
                     }))
            return false;
        value = count > 0 && results != nullptr ? atom_getlong(results) : 0;
        return true;
    }
    value = readAttributeValue(x, *attribute);
    return true;
}

bool Bundle::Load(std::string const& path, std::string& error)
{
    if (handle != nullptr)
    {
        error = "a bundle is already loaded";
        return false;
    }
    // A path without a slash would be searched for in the library path instead.
    std::string const where = path.find('/') == std::string::npos ? "./" + path : path;
    dlerror();
    void* const loaded = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (loaded == nullptr)
    {
        char const* const reason = dlerror();
        error = reason != nullptr ? reason : "cannot load " + path;
        return false;
    }
    void* const entry = dlsym(loaded, "main");
    if (entry == nullptr)
    {
        error = path + " exports no main";
        dlclose(loaded);
        return false;
    }
    handle = loaded;
    guiHook = reinterpret_cast<void (*)(int)>(dlsym(loaded, MAXHOST_GUI_HOOK_NAME));
    guiDescriptors = reinterpret_cast<int (*)(int*, int)>(dlsym(loaded, MAXHOST_GUI_DESCRIPTORS_NAME));
    try
    {
        mainResult = reinterpret_cast<int (*)()>(entry)();
    }
    catch (std::exception const& e)
    {
        error = std::string("the bundle's main threw: ") + e.what();
        return false;
    }
    catch (...)
    {
        error = "the bundle's main threw";
        return false;
    }
    return true;
}

void Bundle::Idle() const
{
    if (guiHook != nullptr)
        guarded("the GUI hook", [this] { guiHook(MAXHOST_GUI_IDLE); });
}

bool Bundle::GetGuiDescriptors(std::vector<int>& fds) const
{
    fds.clear();
    if (guiDescriptors == nullptr)
        return false;
    // Asked once more, with room for all, when they did not fit.
    int count = 16;
    for (int tries = 0; tries < 2 && count > static_cast<int>(fds.size()); ++tries)
    {
        fds.resize(static_cast<std::size_t>(count));
        if (!guarded("the GUI's descriptors",
                     [&] { count = guiDescriptors(fds.data(), static_cast<int>(fds.size())); }))
        {
            fds.clear();
            return false;
        }
    }
    fds.resize(static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(fds.size()))));
    return true;
}

void Bundle::Shutdown() const
{
    if (guiHook != nullptr)
        guarded("the GUI hook", [this] { guiHook(MAXHOST_GUI_SHUTDOWN); });
}

} // namespace maxhost
