#pragma once

#include "maxhost_api.h"
#include "memory/QevVector.h"
#include "text/QevString.h"

#include <type_traits>

namespace maxmsp
{

// One atom of an array the host owns; valid only during the host's call.
class AtomRef
{
public:
    AtomRef() noexcept = default;
    explicit AtomRef(atom* a) noexcept : a(a) {}

    short GetType() const noexcept { return a != nullptr ? a->a_type : static_cast<short>(A_NOTHING); }
    bool IsLong() const noexcept { return GetType() == A_LONG; }
    bool IsFloat() const noexcept { return GetType() == A_FLOAT; }
    bool IsSymbol() const noexcept { return GetType() == A_SYM; }
    bool IsNumber() const noexcept { return IsLong() || IsFloat(); }

    atom_long GetLong() const noexcept { return atom_getlong(a); }
    atom_float GetFloat() const noexcept { return atom_getfloat(a); }
    symbol* GetSymbol() const noexcept { return atom_getsym(a); }
    atom* Get() const noexcept { return a; }

    // A long in decimal, a float as the library's float text, a symbol's name; empty otherwise.
    qev::String ToString() const;

    bool operator==(AtomRef const& other) const noexcept { return a == other.a; }

private:
    atom* a = nullptr;
};

// A view of the host's argument array, one reference per atom. Valid only while the host's array
// lives, that is during the method call.
class AtomArrayRef : public qev::Vector<AtomRef>
{
public:
    AtomArrayRef() = default;
    // A negative count or a null array gives the empty view.
    AtomArrayRef(long argc, atom* argv);

    // Each atom's text followed by a blank, trailing blanks removed.
    qev::String ToString() const;

    // One letter per leading atom: "b" a long or float of 0 or 1 (any other type passes), "f" a
    // float, "i"/"l" a long, "n" a long or float, "s" a symbol; any other letter fails. With
    // exactCount the number of atoms must equal the format's length, else be at least that.
    bool CheckAtomsFormat(char const* format, bool exactCount) const noexcept;
};

// One host atom held by value; a qev::Vector<Atom> collects the atoms of an outgoing message.
class Atom
{
public:
    Atom() noexcept;
    // A symbol atom; every backslash of the text becomes "/".
    explicit Atom(qev::String const& text);
    explicit Atom(symbol* s) noexcept;
    static Atom Long(atom_long value) noexcept;
    static Atom Float(atom_float value) noexcept;

    atom const& Get() const noexcept { return value; }
    atom& Get() noexcept { return value; }

    // The collected atoms as the host's array.
    static atom* Data(qev::Vector<Atom>& atoms) noexcept { return reinterpret_cast<atom*>(atoms.GetData()); }

private:
    atom value;
};

static_assert(sizeof(Atom) == sizeof(atom) && std::is_standard_layout_v<Atom>,
              "a vector of Atom must read as the host's atom array");

} // namespace maxmsp
