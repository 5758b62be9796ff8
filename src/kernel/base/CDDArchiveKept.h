#pragma once

#include "platform/PWPlist.h"

#include <functional>
#include <memory>

class CDDArchive;

// What an object read from a file keeps of it, so that a save writes back what the reading did
// not take (keys this version does not know, values it refused) exactly as stored. It holds the
// dictionary as read and the dictionary the object wrote right after reading: a key whose written
// value is still the one written then is a property the user left alone, and the file's own value
// is written for it; a key written differently is the user's change and written as it is now.
class CDDArchiveKept
{
public:
    // Which of the stored values a save may write back.
    enum class Keep {
        // Every value of a property the user left alone.
        Everything,
        // Only the object's own keys it does not write at all, none within: the values of a file
        // converted from an old form mean something else than the object's own, which replace them.
        UnwrittenKeys,
    };

    CDDArchiveKept(PWPlist::Dictionary stored, PWPlist::Dictionary written, Keep keep);

    // The kept state of an object just read through archive: write stores the object through the
    // storing archive it is given. Nothing when the archive holds no dictionary.
    static std::shared_ptr<const CDDArchiveKept> after(const CDDArchive &archive, Keep keep,
                                                       const std::function<void(const CDDArchive &)> &write);

    // The dictionary a save writes for what the object writes now: the stored one, with the
    // properties the user changed as written now. The bundle version is always the writer's own.
    PWPlist::Dictionary merged(const PWPlist::Dictionary &now) const;

    const PWPlist::Dictionary &stored() const { return m_stored; }

    // The same kept state with now as what the object wrote after reading, when before is what it
    // wrote then: what changed between before and now (a layout made on the first drawing) was
    // no change of the user's, and a save still writes the file's values for it. Null when the
    // object had changed already.
    std::shared_ptr<const CDDArchiveKept> rebased(const PWPlist::Dictionary &before, const PWPlist::Dictionary &now) const;

    // While one lives, on its thread, saves write only what the objects hold now (the user chose
    // to replace a damaged file without the parts that could not be read; a copy to print from),
    // and objects read keep nothing (a copy made to print is never saved).
    class Forgotten
    {
    public:
        Forgotten();
        ~Forgotten();
        Forgotten(const Forgotten &) = delete;
        Forgotten &operator=(const Forgotten &) = delete;
    };
    static bool isForgotten();

private:
    PWPlist::Dictionary m_stored;
    PWPlist::Dictionary m_written;
    Keep m_keep;
};
