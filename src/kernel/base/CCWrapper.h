#pragma once

// Carries a pointer to a kernel object through lists and undo records that keep values, never
// owning it: whoever made the object frees it, and the wrapper may outlive it.
class CCWrapper
{
public:
    CCWrapper() = default;
    explicit CCWrapper(void *pointer);

    void *pointer() const { return _pointer; }

    bool operator==(const CCWrapper &other) const = default;

private:
    void *_pointer = nullptr;
};
