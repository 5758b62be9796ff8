#pragma once

#include <QLoggingCategory>

#include <functional>
#include <memory>

class CAddressFormat;
class CDDPicture;
class CFTComponent;

Q_DECLARE_LOGGING_CATEGORY(lcComponent)

// The registry that turns a stored class ID into a new component. It knows no component class:
// each kernel folder registers its own (registerDrawingComponents, registerTextComponents,
// registerAddressComponents) when the kernel starts, so that the loader creates them without
// depending on them.
//
// Which class a stored ID makes, and whether the new object gets the parent, is fixed here:
// "Titled Text" (5) is made as a plain text (3) without a parent, pictures, background
// pictures, address panels and extended texts get none, and a plain text (3) read from a file
// of bundle version 72 or older is made as an address text (10), the class that carries the
// older text format.
class FTComponentFactory
{
public:
    // Makes a component of one class, with the parent it is given (which may be null).
    using Creator = std::function<std::unique_ptr<CFTComponent>(CFTComponent *parent)>;

    // The last bundle version whose plain texts are read as address texts.
    static constexpr int kLastOldBundleVersion = 72;

    // Registers (or, with an empty creator, removes) the class of an ID. Only the IDs a file can
    // create are accepted: 1, 2, 3, 6, 7, 8, 9, 10, 14, 15, 16 and 19.
    static bool registerClass(int classID, Creator creator);
    static bool isRegistered(int classID);

    // A new component for a stored class ID, read from an archive of the given bundle version;
    // null, with a log line, for an ID no class is made for.
    static std::unique_ptr<CFTComponent> createComponent(int classID, int bundleVersion, CFTComponent *parent);

    // What the editing view gives when it makes a new object itself rather than reading one: a
    // picture or background from a picture, a barcode at a point, an address panel for a side
    // and format in the style of a default text. Each maker reads what concerns its class.
    struct Recipe
    {
        const CDDPicture *picture = nullptr;
        double x = 0.0;
        double y = 0.0;
        bool toFrom = true;
        const CAddressFormat *format = nullptr;
        const CFTComponent *styleSource = nullptr;
    };
    using Maker = std::function<std::unique_ptr<CFTComponent>(const Recipe &recipe)>;

    // Registers (or, with an empty maker, removes) how the view makes a new object of a class.
    static void registerMaker(int classID, Maker maker);
    // A new object of the class from the recipe; null, with a log line, when no maker is known.
    static std::unique_ptr<CFTComponent> makeComponent(int classID, const Recipe &recipe);

    // The creator of one class while it lives, the previous one again afterwards (tests put
    // probes in place this way).
    class ScopedOverride
    {
    public:
        ScopedOverride(int classID, Creator creator);
        ~ScopedOverride();
        ScopedOverride(const ScopedOverride &) = delete;
        ScopedOverride &operator=(const ScopedOverride &) = delete;

    private:
        int m_classID;
        Creator m_previous;
    };

private:
    static Creator creatorOf(int classID);
};
