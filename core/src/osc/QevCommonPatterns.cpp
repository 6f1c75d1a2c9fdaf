#include "osc/QevCommonPatterns.h"

namespace qev
{

namespace
{
// Never destroyed: callers may still use an address while other static objects are torn down.
OscAddress const& makeForever(char const* text)
{
    return *new OscAddress(text);
}
} // namespace

#define QEV_COMMON_PATTERN(name)                                                                             \
    OscAddress const& CommonPatterns::name()                                                                 \
    {                                                                                                        \
        static OscAddress const& address = makeForever("/" #name);                                           \
        return address;                                                                                      \
    }

QEV_COMMON_PATTERN(post)
QEV_COMMON_PATTERN(preset)
QEV_COMMON_PATTERN(set)
QEV_COMMON_PATTERN(dump)
QEV_COMMON_PATTERN(open)
QEV_COMMON_PATTERN(close)
QEV_COMMON_PATTERN(wclose)
QEV_COMMON_PATTERN(openorclose)
QEV_COMMON_PATTERN(title)
QEV_COMMON_PATTERN(size)
QEV_COMMON_PATTERN(width)
QEV_COMMON_PATTERN(height)
QEV_COMMON_PATTERN(topleft)
QEV_COMMON_PATTERN(bounds)
QEV_COMMON_PATTERN(buttons)
QEV_COMMON_PATTERN(fullscreen)
QEV_COMMON_PATTERN(maximize)
QEV_COMMON_PATTERN(visible)
QEV_COMMON_PATTERN(minimise)
QEV_COMMON_PATTERN(moveable)
QEV_COMMON_PATTERN(resizable)
QEV_COMMON_PATTERN(enable)
QEV_COMMON_PATTERN(opaque)
QEV_COMMON_PATTERN(titlebar)
QEV_COMMON_PATTERN(center)
QEV_COMMON_PATTERN(scale)
QEV_COMMON_PATTERN(floating)
QEV_COMMON_PATTERN(hidesondeactivate)
QEV_COMMON_PATTERN(rendering)
QEV_COMMON_PATTERN(window)
QEV_COMMON_PATTERN(help)
QEV_COMMON_PATTERN(status)
QEV_COMMON_PATTERN(snapshot)

#undef QEV_COMMON_PATTERN

} // namespace qev
