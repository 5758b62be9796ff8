#include "kernel/address/CKnot.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CLeaf.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/component/FTComponentFactory.h"

#include <algorithm>
#include <limits>

namespace {

// How deep the knot being read lies in the archive; a tree read from a file is bounded.
thread_local int t_loadDepth = 0;

const QString kNameKey = QStringLiteral("format ID");
const QString kCategoryKey = QStringLiteral("tc");

// Names what a knot of a current design holds that no writer stores for one: every knot is
// written as a template's root or an address's country part, and a country part by a code of the
// catalogue's. Such a knot is read as it stands and kept for the next save. Only a reading that
// reports is asked (copies made to print from are read without one, on other threads).
void noteUnwritten(const CDDArchive &archive, textCategory category, const CDDString &name)
{
    const CDDReadReport *report = archive.readReport().get();
    if (!report || archive.getBundleVersion() <= FTComponentFactory::kLastOldBundleVersion)
        return;
    const auto namedAlready = [&](const QString &key) { return report->names(archive.readDictionary(), {key}); };
    if (category == tcNone && !archive.value(kCategoryKey).isNull() && !namedAlready(kCategoryKey)) {
        archive.noteKept(kCategoryKey,
                         QStringLiteral("A part \"%1\" of an address format names no category (\"%2\" is "
                                        "-1): it is read as a part of no kind, its fields printed as they stand")
                             .arg(name.getData().left(40), kCategoryKey));
        return;
    }
    // A country part without a code at all reads as one of no country, as a new one is.
    const CAddressFormatController &catalogue = CAddressFormatController::sharedAddressFormatController();
    if (category != tcAddress || !catalogue.isLoaded() || archive.value(kNameKey).isNull() || namedAlready(kNameKey)
        || catalogue.formatDescriptorForCountryCode(name.getData()))
        return;
    archive.noteKept(kNameKey,
                     QStringLiteral("The country part of an address format names no country (\"%1\" is "
                                    "\"%2\"): its address is printed without a country's spacing and postal "
                                    "barcode")
                         .arg(kNameKey, name.getData().left(40)));
}

} // namespace

CKnot::CKnot(textCategory category, const CDDString &name, int row, int column)
    : CPosition(category, row, column)
    , m_name(name)
{
}

CKnot::~CKnot() = default;

std::unique_ptr<CAddressFormat> CKnot::clone() const
{
    return std::make_unique<CKnot>(*this);
}

bool CKnot::Serialize(CDDArchive &archive)
{
    CPosition::Serialize(archive);
    const QString arrayKey = QStringLiteral("array");
    if (archive.isStoring()) {
        archive.SetData(kNameKey, m_name);
        if (!m_children.empty()) {
            archive.BeginArrayData();
            for (const std::unique_ptr<CAddressFormat> &child : m_children) {
                CDDArchive childArchive(true, archive.GetPackageType());
                child->Serialize(childArchive);
                archive.SetData(QString(), childArchive);
            }
            archive.EndArrayData(arrayKey);
        }
        archive.SetData(QStringLiteral("isLinearFormat"), m_linear);
        return true;
    }
    archive.GetData(kNameKey, m_name);
    CDDArchive list(false, archive.GetPackageType());
    // A part is written with its list only when the list holds entries: an empty one was emptied,
    // and the fields it held are not printed. A part without a list is one of no fields.
    const PWPlist stored = archive.value(arrayKey);
    if (stored.isArray() && stored.toArray().isEmpty() && archive.getBundleVersion() > FTComponentFactory::kLastOldBundleVersion)
        archive.noteKept(arrayKey, QStringLiteral("A part \"%1\" of an address format holds an empty list: the fields "
                                                  "it held are not printed, and it is kept for the next save")
                                       .arg(m_name.getData().left(40)));
    if (archive.GetData(arrayKey, list) && list.isArrayProcessing()) {
        if (t_loadDepth >= kMaxArchiveDepth) {
            qCWarning(lcArchive) << "address format nested deeper than" << kMaxArchiveDepth << "levels; rest left out";
        } else {
            ++t_loadDepth;
            for (int i = 0; i < list.countObjectsInArray(); ++i) {
                CDDArchive child = list.objectAtIndexInArray(i);
                if (std::unique_ptr<CAddressFormat> node = CAddressFormat::SerializeFromArchive(child))
                    m_children.push_back(std::move(node));
                // The address then prints without that part: the reading must say so. A class
                // key damaged in its name is named by the report as such.
                else if (!child.value(key_ClassID).isNull() || !child.getDict().isDictionary()
                         || child.getDict().toDictionary().isEmpty())
                    archive.noteKept(arrayKey, QStringLiteral("Part %1 of an address format could not be read (its "
                                                              "class is not one of a format); the address is printed "
                                                              "without it, and it is kept for the next save")
                                                   .arg(i + 1));
                else if (CDDReadReport::damagedFormOf(child.getDict().toDictionary(), key_ClassID, {}).isEmpty())
                    child.noteKept(key_ClassID, QStringLiteral("Part %1 of an address format names no class (\"%2\" is "
                                                               "missing); the address is printed without it, and it is "
                                                               "kept for the next save")
                                                    .arg(i + 1)
                                                    .arg(key_ClassID));
            }
            --t_loadDepth;
        }
    }
    archive.GetData(QStringLiteral("isLinearFormat"), &m_linear);
    noteUnwritten(archive, getTextCategory(), m_name);
    return true;
}

const CDDString *CKnot::name(textCategory category) const
{
    const CAddressFormat *node = getFormatWithKey(category);
    return node && node->getClassID() == ciKnot ? node->name() : nullptr;
}

bool CKnot::setName(const CDDString &name, textCategory category)
{
    CAddressFormat *node = getFormatWithKey(category);
    if (!node)
        return false;
    node->setName(name);
    return true;
}

bool CKnot::setName(const CDDString &name)
{
    m_name = name;
    return true;
}

CAddressFormat *CKnot::addKey(textCategory category, int row, int column, const CDDString &label,
                              const CDDString &text, const CDDString &delimiter, const CDDString &, fieldMode mode,
                              textCategory phoneticLink, textCategory)
{
    return addSubFormat(std::make_unique<CLeaf>(category, row, column, label, mode, text, delimiter, phoneticLink));
}

CAddressFormat *CKnot::addSubFormat(textCategory category, const CDDString &name, int row, int column)
{
    return addSubFormat(std::make_unique<CKnot>(category, name, row, column));
}

CAddressFormat *CKnot::addSubFormat(std::unique_ptr<CAddressFormat> node)
{
    if (!node)
        return nullptr;
    CAddressFormat *added = node.get();
    m_children.push_back(std::move(node));
    std::stable_sort(m_children.begin(), m_children.end(),
                     [](const auto &a, const auto &b) { return CAddressFormat::compare(a.get(), b.get()); });
    return added;
}

std::unique_ptr<CAddressFormat> CKnot::setFormat(textCategory category, const CAddressFormat *format, bool asIs)
{
    if (!format)
        return nullptr;
    for (std::unique_ptr<CAddressFormat> &child : m_children) {
        if (child->getTextCategory() == category) {
            const CAddressFormat *countryPart = getFormatWithKey(tcAddress);
            const bool linear = countryPart && countryPart->isLinearFormat();
            std::unique_ptr<CAddressFormat> copy = format->clone();
            if (!copy)
                return nullptr;
            if (!asIs && linear)
                copy->convertToLinear();
            copy->setRow(child->getRow());
            copy->setColumn(child->getColumn());
            std::swap(child, copy);
            return copy;
        }
        if (std::unique_ptr<CAddressFormat> replaced = child->setFormat(category, format, true))
            return replaced;
    }
    return nullptr;
}

void CKnot::convertToLinear()
{
    if (!m_children.empty()) {
        const int row = m_children.front()->getRow();
        const int column = m_children.front()->getColumn();
        for (size_t i = 1; i < m_children.size(); ++i) {
            m_children[i]->setRow(row);
            m_children[i]->setColumn(column + int(i));
        }
    }
    m_linear = true;
}

const CAddressFormat *CKnot::getFormatWithKey(textCategory category) const
{
    if (getTextCategory() == category)
        return this;
    for (const std::unique_ptr<CAddressFormat> &child : m_children) {
        if (const CAddressFormat *found = child->getFormatWithKey(category))
            return found;
    }
    return nullptr;
}

const CDDString *CKnot::labelForKey(textCategory category) const
{
    for (const std::unique_ptr<CAddressFormat> &child : m_children) {
        if (const CDDString *label = child->labelForKey(category))
            return label;
    }
    return nullptr;
}

bool CKnot::initEnumeration()
{
    setEnumerationFinished(false);
    if (m_children.empty())
        return false;
    m_currentRow.value = m_children.front()->getRow();
    for (const std::unique_ptr<CAddressFormat> &child : m_children)
        child->initEnumeration();
    return true;
}

CAddressFormat *CKnot::nextObjectInRow()
{
    if (isEnumerationFinished())
        return nullptr;
    for (const std::unique_ptr<CAddressFormat> &child : m_children) {
        if (child->getRow() != m_currentRow.value)
            continue;
        if (CAddressFormat *next = child->nextObjectInRow())
            return next;
    }
    return nullptr;
}

bool CKnot::nextRow()
{
    if (isEnumerationFinished())
        return false;
    for (const std::unique_ptr<CAddressFormat> &child : m_children) {
        if (child->getRow() == m_currentRow.value && child->nextRow())
            return true;
    }
    // The next row any child uses: a gap in the numbering (a row left out of a resource or
    // emptied by an edit) must not hide the rows after it.
    int next = std::numeric_limits<int>::max();
    for (const std::unique_ptr<CAddressFormat> &child : m_children) {
        if (child->getRow() > m_currentRow.value)
            next = std::min(next, child->getRow());
    }
    if (next == std::numeric_limits<int>::max()) {
        setEnumerationFinished(true);
        return false;
    }
    m_currentRow.value = next;
    return true;
}

bool CKnot::sort()
{
    std::stable_sort(m_children.begin(), m_children.end(),
                     [](const auto &a, const auto &b) { return CAddressFormat::compare(a.get(), b.get()); });
    for (const std::unique_ptr<CAddressFormat> &child : m_children)
        child->sort();
    return true;
}

CAddressFormat *CKnot::childAt(qsizetype index) const
{
    return index >= 0 && index < childCount() ? m_children.at(size_t(index)).get() : nullptr;
}
