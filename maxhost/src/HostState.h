#pragma once

// The stand-in host's process-wide state, shared by its translation units.

#include "maxhost_api.h"
#include "maxhost_control.h"

#include <atomic>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace maxhost::detail
{

enum class RecordKind
{
    Instance,
    Attribute
};

// What an object header's o_host points to.
struct HostRecord
{
    explicit HostRecord(RecordKind kind) : kind(kind) {}
    virtual ~HostRecord() = default;
    RecordKind kind;
};

struct OutletRecord
{
    object* owner = nullptr;
    int index = 0;
};

struct InstanceRecord final : HostRecord
{
    InstanceRecord() : HostRecord(RecordKind::Instance) {}
    maxclass* owningClass = nullptr;
    std::vector<std::unique_ptr<OutletRecord>> outlets; // from the left
    std::vector<std::pair<symbol*, object*>> obex;
};

struct AttributeRecord final : HostRecord
{
    AttributeRecord() : HostRecord(RecordKind::Attribute) { header.o_host = this; }
    object header; // what callers hold
    symbol* name = nullptr;
    symbol* type = nullptr;
    long flags = 0;
    method getter = nullptr;
    method setter = nullptr;
    long offset = 0;
    bool clipMin = false;
    bool clipMax = false;
    double minimum = 0.0;
    double maximum = 0.0;
    bool hasDefault = false;
    atom defaultValue{};
};

struct MethodEntry
{
    method fn = nullptr;
    long type = 0;
};

InstanceRecord* instanceOf(void* x) noexcept;
AttributeRecord* attributeOf(void* x) noexcept;

// Writes value into the attribute's field after the clip filter; false for a value that is not
// a number.
bool setAttributeValue(object* x, AttributeRecord const& attribute, atom const& value);
atom_long readAttributeValue(object* x, AttributeRecord const& attribute);

void note(std::string const& text);
Listener* listener() noexcept;

// Runs a callback of the bundle. An exception escaping it would end the host process, so it
// becomes a host note naming the callback instead. False when it threw.
template <typename Call> bool guarded(std::string const& what, Call&& call)
{
    try
    {
        call();
        return true;
    }
    catch (std::exception const& e)
    {
        note(what + " threw: " + e.what());
    }
    catch (...)
    {
        note(what + " threw");
    }
    return false;
}

// Drops every pending deferred call and queue element of the object (it is being freed).
void dropMainThreadWorkOf(object* x);

struct Symbols
{
    std::shared_mutex lock;
    std::unordered_map<std::string_view, symbol*> table;
};
Symbols& symbols();

// Live objects, so that the control side can refuse pointers it never made.
bool isLiveObject(object* x);
void addLiveObject(object* x);
void removeLiveObject(object* x);

} // namespace maxhost::detail

// Defined at global scope: the API header declares them there.
struct maxclass
{
    std::string name;
    method creator = nullptr;
    method destructor = nullptr;
    long size = 0;
    bool registered = false;
    std::unordered_map<symbol*, maxhost::detail::MethodEntry> methods;
    std::vector<maxhost::detail::AttributeRecord*> attributes; // the records live for the process
};
