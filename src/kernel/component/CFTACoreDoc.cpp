// The core document's sides, lists, pools, z-order, smart-field values and series-printing
// steps. Archives of lists and the copying of a side are in CFTACoreDocArchive.cpp.

#include "kernel/component/CFTACoreDoc.h"

#include "kernel/base/CDDVariant.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTLayoutGuideline.h"

#include <QDateTime>

#include <algorithm>
#include <optional>

namespace {

template <typename T>
bool contains(const std::vector<T *> &list, const T *item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T>
using Pool = std::unordered_map<const T *, std::unique_ptr<T>>;

// The pool takes ownership of what leaves every list, once.
template <typename T>
void moveIntoPool(Pool<T> &pool, const T *item)
{
    if (item && !pool.contains(item))
        pool.emplace(item, std::unique_ptr<T>(const_cast<T *>(item)));
}

// The list the caller put the item into owns it from now on.
template <typename T>
void takeOutOfPool(Pool<T> &pool, const T *item)
{
    const auto found = pool.find(item);
    if (found == pool.end())
        return;
    (void)found->second.release();
    pool.erase(found);
}

// A smart field's value: the date (now, read once for the caller) or its side's number and the
// side count. Other components take none.
void giveSmartValue(CFTComponent *component, int sideIndex, int sides, std::optional<QDateTime> &now)
{
    const textCategory category = component->GetTextCategory();
    const bool date = category == tcSmartDate;
    if (!date && (category < tcSmartSideNumber || category > tcSmartSideValue))
        return;
    if (!now)
        now = QDateTime::currentDateTime();
    CDDVariant value(*now);
    if (date)
        value.SetDataType(variantObject);
    else
        value.SetIntValues(sideIndex + 1, sides);
    component->SetValue(value);
}

bool isSeriesField(const CFTComponent *component)
{
    const classID kind = component->getClassID();
    return kind == ciCounter || kind == ciFileField;
}

} // namespace

CFTACoreDoc::CFTACoreDoc()
{
    maSide.push_back(std::make_unique<ftSide>());
}

CFTACoreDoc::~CFTACoreDoc()
{
    for (const std::unique_ptr<ftSide> &page : maSide)
        page->clean(this);
    maSide.clear();
    maDeletedPool.clear();
    maDeletedLayoutGuidelinesPool.clear();
}

// --- Operations the kernel document refines -----------------------------------------------------

int CFTACoreDoc::textExtHavingTextBlock(void *, bool, int &)
{
    return 0;
}

void CFTACoreDoc::lockLayoutGuidelines()
{
}

void CFTACoreDoc::unlockLayoutGuidelines()
{
}

bool CFTACoreDoc::isLockLayoutGuidelines() const
{
    return false;
}

double CFTACoreDoc::getDocumentSizeX(int sideIndex) const
{
    return IsHorizontal(sideIndex) ? mdSizeX : mdSizeY;
}

double CFTACoreDoc::getDocumentSizeY(int sideIndex) const
{
    return IsHorizontal(sideIndex) ? mdSizeY : mdSizeX;
}

double CFTACoreDoc::getPrintableSizeX() const
{
    return mdPrintableSizeX;
}

double CFTACoreDoc::getPrintableSizeY() const
{
    return mdPrintableSizeY;
}

void CFTACoreDoc::DrawComponents(const std::vector<CFTComponent *> &list, CDDDrawer *drawer, bool selected,
                                 CFTComponentsInterface *components)
{
    const CFTComponentsInterface *const others = components ? components : this;
    for (CFTComponent *component : list) {
        if (selected)
            component->DrawSelected(drawer, false, others, false, true);
        else
            component->Draw(drawer, false, others, false, true);
    }
}

void CFTACoreDoc::DrawBackground(CDDDrawer *)
{
}

std::vector<CDDWrappingPath *> CFTACoreDoc::GetPathsForTextWrap(CDDDrawer *, const QRectF &, bool, textWrap) const
{
    return {};
}

bool CFTACoreDoc::HasInnerHole() const
{
    return false;
}

void CFTACoreDoc::setMarginTop(double)
{
}

void CFTACoreDoc::setMarginBottom(double)
{
}

void CFTACoreDoc::setMarginLeft(double)
{
}

void CFTACoreDoc::setMarginRight(double)
{
}

double CFTACoreDoc::getMarginTop(int) const
{
    return 0.0;
}

double CFTACoreDoc::getMarginBottom(int) const
{
    return 0.0;
}

double CFTACoreDoc::getMarginLeft(int) const
{
    return 0.0;
}

double CFTACoreDoc::getMarginRight(int) const
{
    return 0.0;
}

void CFTACoreDoc::setDocumentName(CDDString *)
{
}

void CFTACoreDoc::setDocumentAuthor(CDDString *)
{
}

void CFTACoreDoc::setDocumentDescription(CDDString *)
{
}

// --- Sides and lists ----------------------------------------------------------------------------

CFTACoreDoc::ftSide *CFTACoreDoc::getPage(int sideIndex) const
{
    return validSide(sideIndex) ? maSide[size_t(sideIndex)].get() : nullptr;
}

int CFTACoreDoc::addSide(std::unique_ptr<ftSide> newSide)
{
    maSide.push_back(newSide ? std::move(newSide) : std::make_unique<ftSide>());
    return int(maSide.size()) - 1;
}

const std::vector<CFTComponent *> &CFTACoreDoc::GetComponents(int sideIndex, bool back) const
{
    static const std::vector<CFTComponent *> none;
    const std::vector<CFTComponent *> *list = GetComponentsPtr(sideIndex, back);
    return list ? *list : none;
}

std::vector<CFTComponent *> *CFTACoreDoc::GetComponentsPtr(int sideIndex, bool back) const
{
    ftSide *page = getPage(sideIndex);
    if (!page)
        return nullptr;
    return back ? &page->maBackComponents : &page->maComponents;
}

const std::vector<CFTLayoutGuideline *> &CFTACoreDoc::GetLayoutGuidelines(int sideIndex) const
{
    static const std::vector<CFTLayoutGuideline *> none;
    const ftSide *page = getPage(sideIndex);
    return page ? page->maLayoutGuidelines : none;
}

void CFTACoreDoc::DeleteLayoutGuidelines(int sideIndex)
{
    ftSide *page = getPage(sideIndex);
    if (!page)
        return;
    // Pooled rather than dropped, so that they are freed with the document.
    const std::vector<CFTLayoutGuideline *> removed = std::move(page->maLayoutGuidelines);
    page->maLayoutGuidelines.clear();
    for (CFTLayoutGuideline *guideline : removed)
        autorelease(guideline);
}

void CFTACoreDoc::SetHorizontal(bool horizontal, int sideIndex)
{
    if (ftSide *page = getPage(sideIndex))
        page->setPageOrientation(horizontal ? 0 : 1);
}

bool CFTACoreDoc::IsHorizontal(int sideIndex) const
{
    const ftSide *page = getPage(sideIndex);
    return !page || (page->getPageOrientation() & 1) == 0;
}

// --- Editing ------------------------------------------------------------------------------------

bool CFTACoreDoc::isListed(const CFTComponent *component) const
{
    for (const std::unique_ptr<ftSide> &page : maSide) {
        if (contains(page->maComponents, component) || contains(page->maBackComponents, component))
            return true;
    }
    return false;
}

void CFTACoreDoc::AddObject(CFTComponent *component, int sideIndex, bool back)
{
    std::vector<CFTComponent *> *list = GetComponentsPtr(sideIndex, back);
    if (!component || !list)
        return;
    if (!contains(*list, component)) {
        list->push_back(component);
        autoretain(component);
    }
    // The side count is unchanged: only the added component may lack its value.
    std::optional<QDateTime> now;
    giveSmartValue(component, sideIndex, getSidesCount(), now);
}

bool CFTACoreDoc::DeleteObject(const CFTComponent *component, int sideIndex, bool back)
{
    std::vector<CFTComponent *> *list = GetComponentsPtr(sideIndex, back);
    if (!component || !list)
        return false;
    const auto found = std::find(list->begin(), list->end(), component);
    if (found == list->end())
        return false;
    list->erase(found);
    // A component standing in another list as well is still the document's through it.
    if (!isListed(component))
        autorelease(component);
    return true;
}

std::unique_ptr<CFTComponent> CFTACoreDoc::EreaseObject(const CFTComponent *component, int sideIndex, bool back)
{
    if (!DeleteObject(component, sideIndex, back))
        return nullptr;
    const auto found = maDeletedPool.find(component);
    if (found == maDeletedPool.end())
        return nullptr;
    std::unique_ptr<CFTComponent> owned = std::move(found->second);
    maDeletedPool.erase(found);
    return owned;
}

void CFTACoreDoc::AddLayoutGuideline(CFTLayoutGuideline *guideline, int sideIndex)
{
    ftSide *page = getPage(sideIndex);
    if (!guideline || !page)
        return;
    if (!contains(page->maLayoutGuidelines, guideline)) {
        page->maLayoutGuidelines.push_back(guideline);
        autoretain(guideline);
    }
}

bool CFTACoreDoc::DeleteLayoutGuideline(const CFTLayoutGuideline *guideline, int sideIndex)
{
    ftSide *page = getPage(sideIndex);
    if (!guideline || !page)
        return false;
    const auto found = std::find(page->maLayoutGuidelines.begin(), page->maLayoutGuidelines.end(), guideline);
    if (found == page->maLayoutGuidelines.end())
        return false;
    page->maLayoutGuidelines.erase(found);
    autorelease(guideline);
    return true;
}

void CFTACoreDoc::autorelease(const CFTComponent *component)
{
    moveIntoPool(maDeletedPool, component);
}

void CFTACoreDoc::autoretain(const CFTComponent *component)
{
    takeOutOfPool(maDeletedPool, component);
}

void CFTACoreDoc::autorelease(const CFTLayoutGuideline *guideline)
{
    moveIntoPool(maDeletedLayoutGuidelinesPool, guideline);
}

void CFTACoreDoc::autoretain(const CFTLayoutGuideline *guideline)
{
    takeOutOfPool(maDeletedLayoutGuidelinesPool, guideline);
}

bool CFTACoreDoc::isInDeletedPool(const CFTComponent *component) const
{
    return maDeletedPool.contains(component);
}

bool CFTACoreDoc::isInDeletedPool(const CFTLayoutGuideline *guideline) const
{
    return maDeletedLayoutGuidelinesPool.contains(guideline);
}

// --- Z-order ------------------------------------------------------------------------------------

bool CFTACoreDoc::StepToBack(side sideIndex, bool back, CFTComponent *component)
{
    std::vector<CFTComponent *> *list = GetComponentsPtr(sideIndex, back);
    if (!list)
        return false;
    const auto found = std::find(list->begin(), list->end(), component);
    if (found == list->end() || found == list->begin())
        return false;
    std::iter_swap(found, found - 1);
    return true;
}

bool CFTACoreDoc::StepToFront(side sideIndex, bool back, CFTComponent *component)
{
    std::vector<CFTComponent *> *list = GetComponentsPtr(sideIndex, back);
    if (!list)
        return false;
    const auto found = std::find(list->begin(), list->end(), component);
    if (found == list->end() || found + 1 == list->end())
        return false;
    std::iter_swap(found, found + 1);
    return true;
}

bool CFTACoreDoc::SendToBack(side sideIndex, bool back, CFTComponent *component)
{
    std::vector<CFTComponent *> *list = GetComponentsPtr(sideIndex, back);
    if (!list)
        return false;
    const auto found = std::find(list->begin(), list->end(), component);
    if (found == list->end() || found == list->begin())
        return false;
    std::rotate(list->begin(), found, found + 1);
    return true;
}

bool CFTACoreDoc::SendToFront(side sideIndex, bool back, CFTComponent *component)
{
    std::vector<CFTComponent *> *list = GetComponentsPtr(sideIndex, back);
    if (!list || !contains(*list, component))
        return false;
    const std::vector<CFTComponent *> before = *list;
    // Every occurrence goes, and one comes back at the end.
    list->erase(std::remove(list->begin(), list->end(), component), list->end());
    list->push_back(component);
    return *list != before;
}

// --- Smart fields, series printing, snapshots ---------------------------------------------------

void CFTACoreDoc::validateObjectsValue() const
{
    // One reading of the clock for all date fields: reading it costs a look at the time zone.
    std::optional<QDateTime> now;
    const int sides = getSidesCount();
    for (int s = 0; s < sides; ++s) {
        const ftSide *page = maSide[size_t(s)].get();
        for (const std::vector<CFTComponent *> *list : {&page->maBackComponents, &page->maComponents})
            for (CFTComponent *component : *list)
                giveSmartValue(component, s, sides, now);
    }
}

namespace {

// The counters and file fields of a side: the components list first, then the back list.
template <typename Step>
void forSeriesFields(CFTACoreDoc::ftSide *page, Step step)
{
    if (!page)
        return;
    for (const std::vector<CFTComponent *> *list : {&page->maComponents, &page->maBackComponents}) {
        for (CFTComponent *component : *list) {
            if (isSeriesField(component))
                step(component);
        }
    }
}

} // namespace

bool CFTACoreDoc::hasSeriesFields() const
{
    bool found = false;
    forSeriesFields(getPage(0), [&found](CFTComponent *) { found = true; });
    return found;
}

void CFTACoreDoc::resetObjects()
{
    forSeriesFields(getPage(0), [](CFTComponent *field) { field->Reset(); });
}

void CFTACoreDoc::nextStepObjects()
{
    forSeriesFields(getPage(0), [](CFTComponent *field) { field->Next(); });
}

void CFTACoreDoc::setValueObjects(int number)
{
    forSeriesFields(getPage(0), [number](CFTComponent *field) { field->SetValue(number); });
}

void CFTACoreDoc::clearObjects()
{
    forSeriesFields(getPage(0), [](CFTComponent *field) { field->Clear(); });
}

void CFTACoreDoc::snapshotObjects()
{
    for (const std::unique_ptr<ftSide> &page : maSide) {
        for (CFTComponent *component : page->maBackComponents)
            component->snapshotObject();
        for (CFTComponent *component : page->maComponents)
            component->snapshotObject();
    }
}

void CFTACoreDoc::restoreObjects()
{
    for (const std::unique_ptr<ftSide> &page : maSide) {
        for (CFTComponent *component : page->maBackComponents)
            component->restoreObject();
        for (CFTComponent *component : page->maComponents)
            component->restoreObject();
    }
}

// --- Bounds -------------------------------------------------------------------------------------

void CFTACoreDoc::GetBoundForComponents(double *left, double *top, double *right, double *bottom,
                                        const std::vector<CFTComponent *> &list)
{
    if (!left || !top || !right || !bottom)
        return;
    *left = 1e6;
    *top = 1e6;
    *right = -1e6;
    *bottom = -1e6;
    for (const CFTComponent *component : list) {
        double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
        component->GetDrawRect(&l, &t, &r, &b, false);
        *left = std::min(*left, l);
        *top = std::min(*top, t);
        *right = std::max(*right, r);
        *bottom = std::max(*bottom, b);
    }
}

void CFTACoreDoc::GetSelectionRectForComponents(double *x, double *y, double *width, double *height,
                                                const std::vector<CFTComponent *> &list)
{
    if (!x || !y || !width || !height)
        return;
    double left = 1e6, top = 1e6, right = -1e6, bottom = -1e6;
    for (const CFTComponent *component : list) {
        double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
        component->GetDrawRect(&l, &t, &r, &b, true);
        left = std::min(left, l);
        top = std::min(top, t);
        right = std::max(right, r);
        bottom = std::max(bottom, b);
    }
    *x = left;
    *y = top;
    *width = right - left;
    *height = bottom - top;
}
