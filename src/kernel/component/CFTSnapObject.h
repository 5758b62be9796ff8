#pragma once

#include <span>

// Anything a dragged object snaps to or from: components, layout guidelines and the document
// itself. The view decides which of the From and To coordinates it asks of the objects being
// moved and of the others.
class CFTSnapObject
{
public:
    virtual ~CFTSnapObject() = default;

    // Write the snap coordinates into the caller's array and answer how many were written. An
    // empty array only counts them; any other array without room for all of them gets nothing
    // and answers 0.
    virtual int getXSnapArrayFrom(std::span<float> array) const = 0;
    virtual int getYSnapArrayFrom(std::span<float> array) const = 0;
    virtual int getXSnapArrayTo(std::span<float> array) const = 0;
    virtual int getYSnapArrayTo(std::span<float> array) const = 0;

    virtual float getMinSnapYTo() const = 0;
    virtual float getMaxSnapYTo() const = 0;
    virtual float getMinSnapXTo() const = 0;
    virtual float getMaxSnapXTo() const = 0;
    virtual float getMinSnapYFrom() const = 0;
    virtual float getMaxSnapYFrom() const = 0;
    virtual float getMinSnapXFrom() const = 0;
    virtual float getMaxSnapXFrom() const = 0;

protected:
    CFTSnapObject() = default;
    CFTSnapObject(const CFTSnapObject &) = default;
    CFTSnapObject &operator=(const CFTSnapObject &) = default;
};
