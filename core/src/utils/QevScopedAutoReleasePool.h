#pragma once

namespace qev
{

// Scopes the temporary objects of a platform framework call. This platform has no autorelease
// pools, so the object does nothing; callers keep opening one where the framework expects it.
class ScopedAutoReleasePool
{
public:
    ScopedAutoReleasePool() noexcept = default;
    ~ScopedAutoReleasePool() = default;

    ScopedAutoReleasePool(ScopedAutoReleasePool const&) = delete;
    ScopedAutoReleasePool& operator=(ScopedAutoReleasePool const&) = delete;
};

} // namespace qev
