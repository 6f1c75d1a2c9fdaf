#pragma once

#include "osc/QevOscAddress.h"

namespace qev
{

// Addresses shared by every OSC-controlled object: each is "/" followed by the accessor's name,
// made on first use and kept until the process ends, so that prefix tests compare pooled hashes
// without building an address per message.
class CommonPatterns
{
public:
    CommonPatterns() = delete;

    // Common commands
    static OscAddress const& post();
    static OscAddress const& preset();
    static OscAddress const& set();
    static OscAddress const& dump();

    // Windows
    static OscAddress const& open();
    static OscAddress const& close();
    static OscAddress const& wclose();
    static OscAddress const& openorclose();
    static OscAddress const& title();
    static OscAddress const& size();
    static OscAddress const& width();
    static OscAddress const& height();
    static OscAddress const& topleft();
    static OscAddress const& bounds();
    static OscAddress const& buttons();
    static OscAddress const& fullscreen();
    static OscAddress const& maximize();
    static OscAddress const& visible();
    static OscAddress const& minimise();
    static OscAddress const& moveable();
    static OscAddress const& resizable();
    static OscAddress const& enable();
    static OscAddress const& opaque();
    static OscAddress const& titlebar();
    static OscAddress const& center();
    static OscAddress const& scale();
    static OscAddress const& floating();
    static OscAddress const& hidesondeactivate();
    static OscAddress const& rendering();
    static OscAddress const& window();
    static OscAddress const& help();
    static OscAddress const& status();
    static OscAddress const& snapshot();
};

} // namespace qev
