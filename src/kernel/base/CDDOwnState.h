#pragma once

#include <utility>

// State that belongs to the object holding it rather than to that object's value: a walk in
// progress, a list being written, a link to a helper the holder does not own. Holding it in this
// type lets the holder's copy be defaulted. Assigning another holder leaves the target's own state
// as it is; a holder made as a copy starts from T's default, or, with kCopiedWhenConstructed, from
// the other's (for what a new copy must share with its source yet no later assignment may change).
template <typename T, bool kCopiedWhenConstructed = false> struct CDDOwnState
{
    CDDOwnState() = default;
    explicit CDDOwnState(T initial)
        : value(std::move(initial))
    {
    }
    CDDOwnState(const CDDOwnState &other)
    {
        if constexpr (kCopiedWhenConstructed)
            value = other.value;
        else
            static_cast<void>(other);
    }
    CDDOwnState &operator=(const CDDOwnState &) { return *this; }

    T value {};
};
