#include "MaxAtoms.h"

#include "memory/QevAlloc.h"

#include <cstring>

namespace maxmsp
{

qev::String AtomRef::ToString() const
{
    switch (GetType())
    {
    case A_LONG:
        return qev::String(static_cast<long long>(a->a_w.w_long));
    case A_FLOAT:
        return qev::String(static_cast<float>(a->a_w.w_float));
    case A_SYM:
        return qev::String(GetSymbol()->s_name);
    default:
        return {};
    }
}

AtomArrayRef::AtomArrayRef(long argc, atom* argv)
{
    if (argc <= 0 || argv == nullptr)
        return;
    qev::Allocations::ResizeVector(GetStdVector(), static_cast<unsigned long>(argc));
    for (long i = 0; i < argc; ++i)
        (*this)[static_cast<unsigned long>(i)] = AtomRef(argv + i);
}

qev::String AtomArrayRef::ToString() const
{
    qev::String text;
    for (AtomRef const& a : *this)
    {
        text += a.ToString();
        text += ' ';
    }
    return text.TrimCharactersAtEnd(qev::String(" "));
}

bool AtomArrayRef::CheckAtomsFormat(char const* format, bool exactCount) const noexcept
{
    std::size_t const letters = format != nullptr ? std::strlen(format) : 0;
    if (exactCount ? GetSize() != letters : GetSize() < letters)
        return false;
    for (std::size_t i = 0; i < letters; ++i)
    {
        AtomRef const& a = (*this)[i];
        switch (format[i])
        {
        case 'b':
            if (a.IsLong() && a.GetLong() != 0 && a.GetLong() != 1)
                return false;
            if (a.IsFloat() && a.GetFloat() != 0.0 && a.GetFloat() != 1.0)
                return false;
            break;
        case 'f':
            if (!a.IsFloat())
                return false;
            break;
        case 'i':
        case 'l':
            if (!a.IsLong())
                return false;
            break;
        case 'n':
            if (!a.IsNumber())
                return false;
            break;
        case 's':
            if (!a.IsSymbol())
                return false;
            break;
        default:
            return false;
        }
    }
    return true;
}

Atom::Atom() noexcept : value{}
{
    value.a_type = A_NOTHING;
}

Atom::Atom(qev::String const& text) : value{}
{
    atom_setsym(&value,
                gensym(text.Contains('\\') ? text.Replacing('\\', '/').GetCString() : text.GetCString()));
}

Atom::Atom(symbol* s) noexcept : value{}
{
    atom_setsym(&value, s);
}

Atom Atom::Long(atom_long v) noexcept
{
    Atom result;
    atom_setlong(&result.value, v);
    return result;
}

Atom Atom::Float(atom_float v) noexcept
{
    Atom result;
    atom_setfloat(&result.value, v);
    return result;
}

} // namespace maxmsp
