#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <cstdint>

// What a variant carries: nothing, integers, or its object.
enum variantDataTyle : std::int32_t {
    variantEmpty = 0,
    variantIntegers = 1,
    variantObject = 3,
};

// The value of a live field while a design is printed: a date (its object, the moment the
// variant was made) or a page number with the page count (its integers). The type tag says
// which of them counts; the object is there even while the tag says otherwise.
class CDDVariant
{
public:
    // Empty, integers 0, object the current date and time.
    CDDVariant();
    // Empty, integers 0, object the given moment (a clock for callers that need one).
    explicit CDDVariant(const QDateTime &when);

    void SetIntValues(int first, int second);
    void SetIntValues(int first, int second, int third);
    void SetDataType(variantDataTyle type) { mType = type; }

    variantDataTyle GetDataType() const { return mType; }
    bool IsEmpty() const { return mType == variantEmpty; }
    int GetIntValue1() const { return mInt1; }
    int GetIntValue2() const { return mInt2; }
    int GetIntValue3() const { return mInt3; }
    const QVariant &GetDateTimeValue() const { return mObject; }
    // Integers: the first in decimal; object: its description (a date as
    // "yyyy-MM-dd HH:mm:ss +hhmm"); otherwise empty.
    QString GetStringValue() const;

    bool operator==(const CDDVariant &other) const = default;

private:
    variantDataTyle mType = variantEmpty;
    int mInt1 = 0;
    int mInt2 = 0;
    int mInt3 = 0;
    QVariant mObject;
};

// The description of a variant's object: a date as "yyyy-MM-dd HH:mm:ss +hhmm" in its own time
// zone, any other value as its text.
QString objectDescription(const QVariant &object);
