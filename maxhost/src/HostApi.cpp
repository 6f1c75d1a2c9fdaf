// Symbols, classes, attributes, objects, outlets, atoms and the console of the stand-in host.

#include "HostState.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

using namespace maxhost::detail;

namespace
{

struct SymbolRecord
{
    symbol sym{};
    std::string text;
};

struct LiveObjects
{
    std::mutex lock;
    std::unordered_set<object*> set;
};

LiveObjects& liveObjects()
{
    // Never destroyed: objects may be freed by static destructors of a bundle.
    static LiveObjects* const objects = new LiveObjects;
    return *objects;
}

std::mutex& attributeLock()
{
    static std::mutex* const lock = new std::mutex;
    return *lock;
}

std::vector<std::unique_ptr<AttributeRecord>>& allAttributes()
{
    static auto* const records = new std::vector<std::unique_ptr<AttributeRecord>>;
    return *records;
}

std::mutex& classLock()
{
    static std::mutex* const lock = new std::mutex;
    return *lock;
}

std::vector<maxclass*>& allClasses()
{
    static auto* const classes = new std::vector<maxclass*>;
    return *classes;
}

std::atomic<maxhost::Listener*> currentListener{nullptr};

// The records allocated by the creator running on this thread, if any.
thread_local std::vector<object*>* creations = nullptr;

// Releases a record without calling its destructor, with everything the host holds for it.
void release(object* x)
{
    dropMainThreadWorkOf(x);
    removeLiveObject(x);
    delete instanceOf(x);
    std::free(x);
}

std::string formatText(char const* format, va_list args)
{
    if (format == nullptr)
        return {};
    va_list copy;
    va_copy(copy, args);
    int const needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0)
        return {};
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

void console(object* owner, bool isError, std::string const& text)
{
    if (maxhost::Listener* const l = listener())
        l->Console(owner, isError, text.c_str());
}

// A double to a long, truncated toward zero and saturated; NaN gives 0.
atom_long saturatingLong(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (value >= limit)
        return std::numeric_limits<atom_long>::max();
    if (value < -limit)
        return std::numeric_limits<atom_long>::min();
    return static_cast<atom_long>(value);
}

bool parseLong(char const* text, atom_long& value)
{
    if (text == nullptr)
        return false;
    char* end = nullptr;
    long long const parsed = std::strtoll(text, &end, 10);
    if (end != text && *end == '\0')
    {
        value = parsed;
        return true;
    }
    return false;
}

} // namespace

namespace maxhost::detail
{

Listener* listener() noexcept
{
    return currentListener.load(std::memory_order_acquire);
}

void note(std::string const& text)
{
    if (Listener* const l = listener())
        l->HostNote(text.c_str());
}

Symbols& symbols()
{
    static Symbols* const table = new Symbols;
    return *table;
}

InstanceRecord* instanceOf(void* x) noexcept
{
    if (x == nullptr)
        return nullptr;
    auto* const record = static_cast<HostRecord*>(static_cast<object*>(x)->o_host);
    if (record == nullptr || record->kind != RecordKind::Instance)
        return nullptr;
    return static_cast<InstanceRecord*>(record);
}

AttributeRecord* attributeOf(void* x) noexcept
{
    if (x == nullptr)
        return nullptr;
    auto* const record = static_cast<HostRecord*>(static_cast<object*>(x)->o_host);
    if (record == nullptr || record->kind != RecordKind::Attribute)
        return nullptr;
    return static_cast<AttributeRecord*>(record);
}

bool setAttributeValue(object* x, AttributeRecord const& attribute, atom const& value)
{
    atom_long result = 0;
    if (value.a_type == A_LONG)
    {
        result = value.a_w.w_long;
        if (attribute.clipMin && static_cast<double>(result) < attribute.minimum)
            result = saturatingLong(std::ceil(attribute.minimum));
        if (attribute.clipMax && static_cast<double>(result) > attribute.maximum)
            result = saturatingLong(std::floor(attribute.maximum));
    }
    else if (value.a_type == A_FLOAT)
    {
        double number = value.a_w.w_float;
        if (attribute.clipMin && !(number >= attribute.minimum))
            number = attribute.minimum;
        if (attribute.clipMax && number > attribute.maximum)
            number = attribute.maximum;
        result = saturatingLong(number);
    }
    else
        return false;
    std::memcpy(reinterpret_cast<char*>(x) + attribute.offset, &result, sizeof result);
    return true;
}

atom_long readAttributeValue(object* x, AttributeRecord const& attribute)
{
    atom_long value = 0;
    std::memcpy(&value, reinterpret_cast<char const*>(x) + attribute.offset, sizeof value);
    return value;
}

bool isLiveObject(object* x)
{
    LiveObjects& objects = liveObjects();
    std::lock_guard<std::mutex> const guard(objects.lock);
    return objects.set.count(x) != 0;
}

void addLiveObject(object* x)
{
    LiveObjects& objects = liveObjects();
    std::lock_guard<std::mutex> const guard(objects.lock);
    objects.set.insert(x);
}

void removeLiveObject(object* x)
{
    LiveObjects& objects = liveObjects();
    std::lock_guard<std::mutex> const guard(objects.lock);
    objects.set.erase(x);
}

} // namespace maxhost::detail

namespace maxhost
{

void Listener::Outlet(object*, int, symbol*, long, atom const*) {}
void Listener::Console(object*, bool, char const*) {}
void Listener::HostNote(char const*) {}

void SetListener(Listener* l)
{
    currentListener.store(l, std::memory_order_release);
}

std::vector<maxclass*> GetRegisteredClasses()
{
    std::lock_guard<std::mutex> const guard(classLock());
    std::vector<maxclass*> result;
    for (maxclass* c : allClasses())
        if (c->registered)
            result.push_back(c);
    return result;
}

maxclass* FindClass(char const* name)
{
    if (name == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> const guard(classLock());
    for (maxclass* c : allClasses())
        if (c->registered && c->name == name)
            return c;
    return nullptr;
}

char const* GetClassName(maxclass* c)
{
    return c != nullptr ? c->name.c_str() : "";
}

} // namespace maxhost

extern "C"
{

    symbol* gensym(char const* text)
    {
        std::string_view const key = text != nullptr ? std::string_view(text) : std::string_view();
        Symbols& table = symbols();
        {
            std::shared_lock<std::shared_mutex> const reading(table.lock);
            auto const found = table.table.find(key);
            if (found != table.table.end())
                return found->second;
        }
        std::unique_lock<std::shared_mutex> const writing(table.lock);
        auto const found = table.table.find(key);
        if (found != table.table.end())
            return found->second;
        // Symbols live for the process, as callers keep them in statics.
        auto* const record = new SymbolRecord;
        record->text.assign(key);
        record->sym.s_name = record->text.c_str();
        table.table.emplace(std::string_view(record->text), &record->sym);
        return &record->sym;
    }

    void common_symbols_init(void)
    {
        for (char const* name : {"", "list", "bang", "anything", "box", "long", "default", "get", "set",
                                 "gettype", "setmethod", "dumpout", "FullPacket"})
            gensym(name);
    }

    maxclass* class_new(char const* name, method creator, method destructor, long size, method /*menu*/,
                        long type, ...)
    {
        if (name == nullptr || creator == nullptr)
        {
            note("class_new: a class needs a name and a creator");
            return nullptr;
        }
        if (size < static_cast<long>(sizeof(object)))
        {
            note(std::string("class_new: ") + name + ": the record is smaller than the object header");
            return nullptr;
        }
        // The creator takes its arguments as a whole (A_GIMME) or none at all.
        bool supported = type == 0 || type == A_GIMME;
        if (type != 0)
        {
            va_list args;
            va_start(args, type);
            if (va_arg(args, int) != 0)
                supported = false;
            va_end(args);
        }
        if (!supported)
        {
            note(std::string("class_new: ") + name + ": only A_GIMME creators are supported");
            return nullptr;
        }
        auto* const c = new maxclass;
        c->name = name;
        c->creator = creator;
        c->destructor = destructor;
        c->size = size;
        std::lock_guard<std::mutex> const guard(classLock());
        allClasses().push_back(c);
        return c;
    }

    max_err class_addmethod(maxclass* c, method fn, char const* name, ...)
    {
        if (c == nullptr || fn == nullptr || name == nullptr)
            return 1;
        va_list args;
        va_start(args, name);
        int const type = va_arg(args, int);
        int const end = type != 0 ? va_arg(args, int) : 0;
        va_end(args);
        if (end != 0 || (type != 0 && type != A_GIMME && type != A_CANT))
        {
            note(std::string("class_addmethod: ") + name +
                 ": only A_GIMME, A_CANT or no argument are supported");
            return 1;
        }
        c->methods[gensym(name)] = MethodEntry{fn, type};
        return 0;
    }

    max_err class_register(symbol* nameSpace, maxclass* c)
    {
        if (c == nullptr || nameSpace != gensym("box"))
            return 1;
        std::lock_guard<std::mutex> const guard(classLock());
        for (maxclass* other : allClasses())
            if (other->registered && other->name == c->name)
                return 1;
        c->registered = true;
        return 0;
    }

    max_err class_parameter_init(maxclass* c)
    {
        return c != nullptr ? 0 : 1;
    }

    object* attr_offset_new(char const* name, symbol* type, long flags, method getter, method setter,
                            long offset)
    {
        if (name == nullptr || type != gensym("long"))
        {
            note(std::string("attr_offset_new: ") + (name != nullptr ? name : "(no name)") +
                 ": only attributes of type long are supported");
            return nullptr;
        }
        auto record = std::make_unique<AttributeRecord>();
        record->name = gensym(name);
        record->type = type;
        record->flags = flags;
        record->getter = getter;
        record->setter = setter;
        record->offset = offset;
        object* const result = &record->header;
        std::lock_guard<std::mutex> const guard(attributeLock());
        allAttributes().push_back(std::move(record));
        return result;
    }

    max_err class_addattr(maxclass* c, object* attr)
    {
        AttributeRecord* const attribute = attributeOf(attr);
        if (c == nullptr || attribute == nullptr)
            return 1;
        // The field must lie inside the record, after the header.
        if (attribute->offset < static_cast<long>(sizeof(object)) ||
            attribute->offset > c->size - static_cast<long>(sizeof(atom_long)))
        {
            note("class_addattr: " + c->name + ": attribute " + attribute->name->s_name +
                 " lies outside the object record");
            return 1;
        }
        for (AttributeRecord*& existing : c->attributes)
            if (existing->name == attribute->name)
            {
                existing = attribute;
                return 0;
            }
        c->attributes.push_back(attribute);
        return 0;
    }

    object* class_attr_get(maxclass* c, symbol* name)
    {
        if (c == nullptr)
            return nullptr;
        for (AttributeRecord* attribute : c->attributes)
            if (attribute->name == name)
                return &attribute->header;
        return nullptr;
    }

    max_err attr_addfilter_clip(object* attr, double min, double max, long useMin, long useMax)
    {
        AttributeRecord* const attribute = attributeOf(attr);
        if (attribute == nullptr)
            return 1;
        attribute->clipMin = useMin != 0;
        attribute->clipMax = useMax != 0;
        attribute->minimum = min;
        attribute->maximum = max;
        return 0;
    }

    max_err class_attr_addattr_parse(maxclass* c, char const* attrName, char const* attrAttrName,
                                     symbol* /*type*/, long /*flags*/, char const* text)
    {
        AttributeRecord* const attribute = attributeOf(class_attr_get(c, gensym(attrName)));
        if (attribute == nullptr || attrAttrName == nullptr)
            return 1;
        if (std::strcmp(attrAttrName, "default") != 0)
            return 0; // labels, styles and the like mean nothing here
        atom_long value = 0;
        if (!parseLong(text, value))
        {
            note(std::string("class_attr_addattr_parse: ") + attrName + ": default \"" + (text ? text : "") +
                 "\" is not a long");
            return 1;
        }
        attribute->hasDefault = true;
        atom_setlong(&attribute->defaultValue, value);
        return 0;
    }

    void* object_method(void* x, symbol* selector, ...)
    {
        AttributeRecord* const attribute = attributeOf(x);
        if (attribute == nullptr || selector == nullptr)
            return nullptr;
        if (selector == gensym("gettype"))
            return attribute->type;
        if (selector == gensym("setmethod"))
        {
            va_list args;
            va_start(args, selector);
            symbol* const which = va_arg(args, symbol*);
            method const fn = va_arg(args, method);
            va_end(args);
            if (which == gensym("get"))
                attribute->getter = fn;
            else if (which == gensym("set"))
                attribute->setter = fn;
        }
        return nullptr;
    }

    void* object_alloc(maxclass* c)
    {
        if (c == nullptr)
            return nullptr;
        auto* const x = static_cast<object*>(std::calloc(1, static_cast<std::size_t>(c->size)));
        if (x == nullptr)
            return nullptr;
        auto* const record = new (std::nothrow) InstanceRecord;
        if (record == nullptr)
        {
            std::free(x);
            return nullptr;
        }
        record->owningClass = c;
        x->o_host = static_cast<HostRecord*>(record);
        for (AttributeRecord const* attribute : c->attributes)
            if (attribute->hasDefault)
                setAttributeValue(x, *attribute, attribute->defaultValue);
        addLiveObject(x);
        if (creations != nullptr)
            creations->push_back(x);
        return x;
    }

    max_err object_obex_store(void* x, symbol* key, object* value)
    {
        InstanceRecord* const record = instanceOf(x);
        if (record == nullptr || key == nullptr)
            return 1;
        for (auto& entry : record->obex)
            if (entry.first == key)
            {
                entry.second = value;
                return 0;
            }
        record->obex.emplace_back(key, value);
        return 0;
    }

    outlet* outlet_new(void* x, char const* /*type*/)
    {
        InstanceRecord* const record = instanceOf(x);
        if (record == nullptr)
            return nullptr;
        auto newOutlet = std::make_unique<OutletRecord>();
        newOutlet->owner = static_cast<object*>(x);
        OutletRecord* const result = newOutlet.get();
        record->outlets.insert(record->outlets.begin(), std::move(newOutlet));
        for (std::size_t i = 0; i < record->outlets.size(); ++i)
            record->outlets[i]->index = static_cast<int>(i);
        return result;
    }

    void* outlet_anything(outlet* o, symbol* selector, short argc, atom* argv)
    {
        if (o == nullptr)
            return nullptr;
        if (selector == nullptr || argc < 0 || (argc > 0 && argv == nullptr))
        {
            note("outlet_anything: a message without a selector or with a bad atom array was dropped");
            return nullptr;
        }
        auto const* const from = static_cast<OutletRecord const*>(o);
        if (maxhost::Listener* const l = listener())
            l->Outlet(from->owner, from->index, selector, argc, argv);
        return nullptr;
    }

    void* outlet_list(outlet* o, symbol* /*selector*/, short argc, atom* argv)
    {
        static symbol* const list = gensym("list");
        return outlet_anything(o, list, argc, argv);
    }

    atom_long atom_getlong(atom const* a)
    {
        if (a == nullptr)
            return 0;
        if (a->a_type == A_LONG)
            return a->a_w.w_long;
        if (a->a_type == A_FLOAT)
            return saturatingLong(a->a_w.w_float);
        return 0;
    }

    atom_float atom_getfloat(atom const* a)
    {
        if (a == nullptr)
            return 0.0;
        if (a->a_type == A_FLOAT)
            return a->a_w.w_float;
        if (a->a_type == A_LONG)
            return static_cast<atom_float>(a->a_w.w_long);
        return 0.0;
    }

    symbol* atom_getsym(atom const* a)
    {
        if (a != nullptr && (a->a_type == A_SYM || a->a_type == A_DOLLSYM) && a->a_w.w_sym != nullptr)
            return a->a_w.w_sym;
        static symbol* const empty = gensym("");
        return empty;
    }

    max_err atom_setlong(atom* a, atom_long value)
    {
        if (a == nullptr)
            return 1;
        a->a_type = A_LONG;
        a->a_w.w_long = value;
        return 0;
    }

    max_err atom_setfloat(atom* a, atom_float value)
    {
        if (a == nullptr)
            return 1;
        a->a_type = A_FLOAT;
        a->a_w.w_float = value;
        return 0;
    }

    max_err atom_setsym(atom* a, symbol* value)
    {
        if (a == nullptr)
            return 1;
        a->a_type = A_SYM;
        a->a_w.w_sym = value != nullptr ? value : gensym("");
        return 0;
    }

    void object_post(object* x, char const* format, ...)
    {
        va_list args;
        va_start(args, format);
        std::string const text = formatText(format, args);
        va_end(args);
        console(x, false, text);
    }

    void object_error(object* x, char const* format, ...)
    {
        va_list args;
        va_start(args, format);
        std::string const text = formatText(format, args);
        va_end(args);
        console(x, true, text);
    }

    short maxversion(void)
    {
        return 0x0800;
    }

} // extern "C"

namespace maxhost
{

object* NewObject(maxclass* c, long argc, atom* argv)
{
    if (c == nullptr)
        return nullptr;
    if (argc < 0 || argv == nullptr)
        argc = 0;
    if (argc > std::numeric_limits<short>::max())
    {
        detail::note("too many creation arguments");
        return nullptr;
    }
    auto const creator = reinterpret_cast<void* (*)(symbol*, short, atom*)>(c->creator);
    std::vector<object*> made;
    struct Watch
    {
        std::vector<object*>* const outer = creations;
        explicit Watch(std::vector<object*>& made) { creations = &made; }
        ~Watch() { creations = outer; }
    };
    object* x = nullptr;
    {
        Watch const watch(made);
        detail::guarded(
            c->name + " creator", [&]
            { x = static_cast<object*>(creator(gensym(c->name.c_str()), static_cast<short>(argc), argv)); });
    }
    // A creator that gives up has no way to free its record: the host takes it back.
    if (x == nullptr)
        for (object* abandoned : made)
            release(abandoned);
    return x;
}

void FreeObject(object* x)
{
    // Liveness first: a freed record must not be read.
    detail::InstanceRecord* const record = detail::isLiveObject(x) ? detail::instanceOf(x) : nullptr;
    if (record == nullptr)
    {
        detail::note("free: not an object of this host");
        return;
    }
    if (maxclass* const c = record->owningClass; c->destructor != nullptr)
        detail::guarded(c->name + " destructor",
                        [&] { reinterpret_cast<void (*)(object*)>(c->destructor)(x); });
    release(x);
}

int GetOutletCount(object* x)
{
    detail::InstanceRecord const* const record = detail::instanceOf(x);
    return record != nullptr ? static_cast<int>(record->outlets.size()) : 0;
}

int GetOutletIndex(object* x, void* o)
{
    detail::InstanceRecord const* const record = detail::instanceOf(x);
    if (record == nullptr)
        return -1;
    for (auto const& candidate : record->outlets)
        if (candidate.get() == o)
            return candidate->index;
    return -1;
}

object* GetObexValue(object* x, symbol* key)
{
    detail::InstanceRecord const* const record = detail::instanceOf(x);
    if (record == nullptr)
        return nullptr;
    for (auto const& entry : record->obex)
        if (entry.first == key)
            return entry.second;
    return nullptr;
}

} // namespace maxhost
