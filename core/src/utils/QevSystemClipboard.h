#pragma once

#include "text/QevString.h"

namespace qev
{

// Plain-text clipboard. The core library knows no windowing system: the GUI installs a backend
// for the real system clipboard; until then the text is kept in this process.
class SystemClipboard
{
public:
    SystemClipboard() = delete;

    class Backend
    {
    public:
        virtual ~Backend() = default;
        virtual void CopyText(String const& text) = 0;
        virtual String GetText() = 0;
    };

    // Failures of the backend are swallowed: copying is best effort.
    static void CopyTextToClipboard(String const& text) noexcept;

    // The clipboard's text; empty when the backend fails.
    static String GetTextFromClipboard() noexcept;

    // Not owned. The backend must stay alive until it is replaced; null returns to the in-process
    // text. Calls are serialised, so a backend must not call back into this class.
    static void SetBackend(Backend* backend) noexcept;
};

} // namespace qev
