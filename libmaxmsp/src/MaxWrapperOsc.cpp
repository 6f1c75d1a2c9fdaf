#include "MaxWrapperOsc.h"

#include "MaxWrapper.h"
#include "common/QevException.h"
#include "memory/QevAlloc.h"
#include "osc/QevOscOutputStream.h"

#include <climits>
#include <cstdint>

namespace maxmsp
{

namespace
{

[[noreturn]] void throwUnexpectedAtom(char const* kind, qev::OscMessage const& message,
                                      AtomArrayRef const& atoms, unsigned long line)
{
    qev::String const quoted = (message.GetAddressPattern().GetText() + " " + atoms.ToString()).Quoted('"');
    throw qev::Exception(qev::String("unexpected atom type ") + kind + "in " + quoted,
                         qev::SourceLineInfo("MaxWrapperOsc", line), true, false);
}

void postOutletError(char const* text)
{
    object_post(nullptr, "%s", text);
}

} // namespace

std::recursive_mutex& getGlobalCriticalSection()
{
    static std::recursive_mutex section;
    return section;
}

qev::OscMessage Atoms2OscMessage(object* owner, symbol* selector, long argc, atom* argv)
{
    return Atoms2OscMessage(owner, selector, AtomArrayRef(argc, argv));
}

qev::OscMessage Atoms2OscMessage(object* owner, symbol* selector, AtomArrayRef const& atoms)
{
    char const* const address = selector != nullptr && selector->s_name != nullptr ? selector->s_name : "";
    if (address[0] != '/')
        throw qev::Exception(qev::String("malformed OSC address (missing initial '/') : ") + address + " " +
                                 atoms.ToString(),
                             qev::SourceLineInfo("MaxWrapperOsc", 579), true, false);
    qev::OscMessage message = [address]
    {
        std::lock_guard<std::recursive_mutex> const guard(getGlobalCriticalSection());
        return qev::OscMessage(qev::OscAddressPattern(qev::String(address)));
    }();
    AddAtoms(owner, message, atoms);
    return message;
}

void AddAtoms(object* /*owner*/, qev::OscMessage& message, AtomArrayRef const& atoms)
{
    message.ReserveArguments(message.GetNumArguments() + atoms.GetSize());
    for (AtomRef const& a : atoms)
    {
        switch (a.GetType())
        {
        case A_LONG:
            message.Add(qev::OscArgument(static_cast<long long>(a.GetLong())));
            break;
        case A_FLOAT:
            message.Add(static_cast<float>(a.GetFloat()));
            break;
        case A_SYM:
        case A_OBJ:
            message.Add(qev::OscArgument(qev::String(atom_getsym(a.Get())->s_name)));
            break;
        case A_SEMI:
            throwUnexpectedAtom("(A_SEMI) ", message, atoms, 699);
        case A_COMMA:
            throwUnexpectedAtom("(A_COMMA) ", message, atoms, 689);
        case A_DOLLAR:
            throwUnexpectedAtom("(A_DOLLAR) ", message, atoms, 694);
        case A_DOLLSYM:
            throwUnexpectedAtom("(A_DOLLSYM) ", message, atoms, 704);
        default:
            throwUnexpectedAtom("", message, atoms, 709);
        }
    }
}

void OutletOsc(void* outlet, qev::OscMessage const& message)
{
    symbol* const selector = gensym(message.GetAddressPattern().GetText().GetCString());
    unsigned long const count = message.GetNumArguments();
    if (count == 0)
    {
        outlet_anything(outlet, selector, 0, nullptr);
        return;
    }
    qev::Vector<Atom> atoms;
    qev::Allocations::ReserveVector(atoms.GetStdVector(), count);
    for (unsigned long i = 0; i < count; ++i)
    {
        qev::OscArgument const& argument = message.GetArgument(i);
        switch (argument.GetType())
        {
        case 'F':
        case 'T':
            atoms.PushBack(Atom::Long(argument.GetBool() ? 1 : 0));
            break;
        case 'f':
            atoms.PushBack(Atom::Float(argument.GetFloat32()));
            break;
        case 'h':
            atoms.PushBack(Atom::Long(argument.GetInt64()));
            break;
        case 'i':
            atoms.PushBack(Atom::Long(argument.GetInt32()));
            break;
        case 's':
            atoms.PushBack(Atom(argument.GetString()));
            break;
        default:
            postOutletError("error in maxmsp::OutletOsc (unexpected type tag)");
            break;
        }
    }
    if (atoms.IsEmpty())
        return;
    // The host counts atoms in 16 bits: a longer message would arrive cut.
    if (atoms.GetSize() > static_cast<unsigned long>(SHRT_MAX))
    {
        postOutletError("error in maxmsp::OutletOsc (too many arguments)");
        return;
    }
    outlet_anything(outlet, selector, static_cast<short>(atoms.GetSize()), Atom::Data(atoms));
}

void OutletFullPacket(void* outlet, qev::OscBundle const& bundle, bool walk)
{
    if (bundle.GetNumElements() == 1 && bundle[0].GetMessage() != nullptr)
    {
        OutletOsc(outlet, *bundle[0].GetMessage());
        return;
    }
    if (walk)
    {
        for (qev::OscBundle::Element const& element : bundle)
        {
            if (qev::OscMessage const* const message = element.GetMessage())
                OutletOsc(outlet, *message);
            else if (qev::OscBundle const* const nested = element.GetBundle())
                OutletFullPacket(outlet, *nested, true);
        }
        return;
    }
    qev::OscOutputStream stream;
    // A partial packet would reach the receiver as corrupt OSC: nothing is sent instead.
    if (!stream.WriteBundle(bundle))
    {
        postOutletError("error in maxmsp::OutletFullPacket (the bundle cannot be written as OSC)");
        return;
    }
    atom announce[2];
    atom_setlong(&announce[0], static_cast<atom_long>(stream.GetDataSize()));
    atom_setlong(&announce[1], static_cast<atom_long>(reinterpret_cast<std::uintptr_t>(stream.GetData())));
    symbol* const selector =
        CommonSymbols::sym_FullPacket != nullptr ? CommonSymbols::sym_FullPacket : gensym("FullPacket");
    outlet_anything(outlet, selector, 2, announce);
}

} // namespace maxmsp
