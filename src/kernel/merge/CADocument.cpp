#include "kernel/merge/CADocument.h"

#include "kernel/merge/CADocumentLog.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/component/CFTDocumentController.h"
#include "kernel/base/FTGeometry.h"
#include "platform/PWFont.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/printing/CAEnvironmentLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <atomic>

const QString CADocument::kAddressDocumentType = QStringLiteral("AddressDocumentType");
const QString CADocument::kFileExtension = QStringLiteral("pwdc");
const QString CADocument::kPDFType = QStringLiteral("application/pdf");
const QString CADocument::kTIFFType = QStringLiteral("image/tiff");

void CADocument::setPreparedDocumentSource(PreparedDocumentSource source)
{
    s_preparedDocumentSource = std::move(source);
}

void CADocument::setDefaultSenderSource(DefaultSenderSource source)
{
    s_defaultSenderSource = std::move(source);
}

namespace {

std::atomic<int> s_alive{0};
std::atomic<int> s_mostAlive{0};

void noteBorn()
{
    const int alive = ++s_alive;
    int most = s_mostAlive.load();
    while (alive > most && !s_mostAlive.compare_exchange_weak(most, alive)) {
    }
}

} // namespace

int CADocument::aliveCount()
{
    return s_alive.load();
}

int CADocument::mostAlive()
{
    return s_mostAlive.load();
}

void CADocument::resetMostAlive()
{
    s_mostAlive.store(s_alive.load());
}

CADocument::CADocument()
    : m_undoManager(std::make_unique<PWUndoManager>())
{
    noteBorn();
    std::unique_ptr<CFTADocument> prepared = s_preparedDocumentSource ? s_preparedDocumentSource() : nullptr;
    if (prepared)
        adopt(std::move(prepared));
    else
        adopt(makePreparedDocument(dtLabel, CDDString(CAEnvironment::defaultCountry()),
                                   CDDString(CAEnvironment::defaultCountry())));
    applyDefaultLayout(*ftDocument());
    m_personFrom = defaultSender();
    setDefTextSize();
}

CADocument::CADocument(std::unique_ptr<CFTADocument> document)
    : m_undoManager(std::make_unique<PWUndoManager>())
{
    noteBorn();
    adopt(document ? std::move(document) : std::make_unique<CFTADocument>());
    m_personFrom = defaultSender();
}

CADocument::~CADocument()
{
    --s_alive;
}

void CADocument::adopt(std::unique_ptr<CFTADocument> document)
{
    // Steps recorded against the design being replaced would act on the wrong one.
    if (m_undoManager)
        m_undoManager->removeAllActions();
    auto controller = std::make_unique<CFTDocumentController>();
    controller->Init();
    controller->AddDocument(std::move(document));
    m_controller = std::move(controller);
}

std::unique_ptr<CFTADocument> CADocument::makePreparedDocument(documentType type, const CDDString &codeTo,
                                                               const CDDString &codeFrom)
{
    return std::make_unique<CFTADocument>(type, codeTo, codeFrom);
}

void CADocument::applyDefaultLayout(CFTADocument &document)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(document.getDocumentType());
    if (!layout) {
        qCWarning(lcDocument) << "No paper template for a new document of type" << int(document.getDocumentType());
        return;
    }
    CATemplateFormat copy = *layout;
    copy.setHasWindow(false);
    applyLayout(document, copy, false);
}

CFTADocument *CADocument::ftDocument() const
{
    // Every kernel document this class hands its controller is a CFTADocument.
    return m_controller ? static_cast<CFTADocument *>(m_controller->GetCurrentDocument()) : nullptr;
}

documentType CADocument::docType() const
{
    const CFTADocument *document = ftDocument();
    return document ? document->getDocumentType() : dtLabel;
}

bool CADocument::isPredefLayout() const
{
    const CFTADocument *document = ftDocument();
    return document && document->IsPredefinedLayout();
}

int CADocument::rowCount() const
{
    const CFTADocument *document = ftDocument();
    return document ? document->GetRowCount() : 0;
}

int CADocument::colCount() const
{
    const CFTADocument *document = ftDocument();
    return document ? document->GetColCount() : 0;
}

bool CADocument::oneCardOnePage() const
{
    const CFTADocument *document = ftDocument();
    if (!document)
        return false;
    if (document->getDocumentType() == dtEnvelope)
        return true;
    return document->getDocumentType() == dtLabel && document->isLabelRoll();
}

QString CADocument::countryCode(bool toFrom) const
{
    const CFTADocument *document = ftDocument();
    if (!document)
        return QString();
    return (toFrom ? document->GetCountryCodeTo() : document->GetCountryCodeFrom()).getData();
}

void CADocument::setCountryCode(bool toFrom, const QString &code)
{
    CFTADocument *document = ftDocument();
    if (!document)
        return;
    if (toFrom)
        document->SetCountryCodeTo(CDDString(code));
    else
        document->SetCountryCodeFrom(CDDString(code));
}

void CADocument::setLayoutArangeComponents(const CATemplateFormat &format, bool arrange)
{
    if (CFTADocument *document = ftDocument())
        applyLayout(*document, format, arrange);
}

void CADocument::applyLayout(CFTADocument &document, const CATemplateFormat &format, bool arrange)
{
    if (arrange)
        document.updateComponentsToNewDocSize(format.ItemWidth(), format.ItemHeight());
    document.setDocumentSizeX(format.ItemWidth());
    document.setDocumentSizeY(format.ItemHeight());
    document.setPrintableSizeX(format.PrintableWidth());
    document.setPrintableSizeY(format.PrintableHeight());
    document.SetManufacturer(CDDString(format.Manufacturer()));
    document.SetID(CDDString(format.ID()));
    document.SetDescription(CDDString(format.Description()));
    document.SetCategory(CDDString(format.Category()));
    document.SetType(CDDString(format.Type()));
    document.SetPageSize(CDDString(format.PageSize()));
    document.SetHorizontal(format.isHorizontal(), 0);
    document.SetRowCount(format.Rows());
    document.SetColCount(format.Columns());
    document.SetCornerRadius(format.getCornerRadius());
    document.SetTopMargin(format.getTopMargin());
    document.SetLeftMargin(format.getLeftMargin());
    document.SetHSpace(format.getHSpace());
    document.SetVSpace(format.getVSpace());
    document.SetHasWindow(format.hasWindow());
    document.SetWinWindth(format.getWinWidth());
    document.SetWinHeight(format.getWinHeight());
    document.SetWinBottomOffset(format.getWinBottomOffset());
    document.SetWinLeftOffset(format.getWinLeftOffset());
    document.SetWinCornerRadius(format.getWinCornerRadius());
    document.SetDYMOPaperWidth(format.getDYMOPaperWidth());
    document.SetDYMOPaperHeight(format.getDYMOPaperHeight());
    document.SetDYMOOffsetX(format.getDYMOOffsetX());
    document.SetDYMOOffsetY(format.getDYMOOffsetY());
    document.SetPredefinedLayout(format.isPredef());
    document.setUnits(format.Units());
    document.setBarcodeLocation(document.getBarcodeLocation());
}

void CADocument::setDefTextSize()
{
    if (CFTADocument *document = ftDocument())
        applyDefTextSize(*document);
}

void CADocument::applyDefTextSize(CFTADocument &document)
{
    double size = 12.0;
    if (document.getDocumentType() == dtLabel) {
        const int group =
            getSizeGroupType(float(document.getDocumentSizeX(0)), float(document.getDocumentSizeY(0)), dtLabel);
        size = group <= 10 ? 5.0 : group <= 20 ? 8.0 : 10.0;
    }
    const PWFont base = CAEnvironment::defaultFont();
    document.getDefText()->SetFont(PWFont(base.postScriptName(), size, base.flags()));
}

QPainterPath CADocument::documentSurfacePathForRect(const QRectF &rect, double cornerRadius, double outerDiameter,
                                                    double innerDiameter, bool /*horizontal*/)
{
    const float x = float(rect.x());
    const float y = float(rect.y());
    const float w = float(rect.width());
    const float h = float(rect.height());
    const QPointF centre(x + w / 2.0f, y + h / 2.0f);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const float r = float(cornerRadius);
    const float outer = float(outerDiameter) / 2.0f;
    if (r > 0.0f) {
        path.moveTo(x, y + r);
        drawsupport::appendTangentArc(path, QPointF(x, y + h), QPointF(x + w, y + h), r);
        drawsupport::appendTangentArc(path, QPointF(x + w, y + h), QPointF(x + w, y), r);
        drawsupport::appendTangentArc(path, QPointF(x + w, y), QPointF(x, y), r);
        drawsupport::appendTangentArc(path, QPointF(x, y), QPointF(x, y + h), r);
        path.closeSubpath();
    } else if (outer > 0.0f) {
        const float half = std::min(w, h) / 2.0f;
        const float radius = std::max(outer, half);
        const float a = float(std::asin(half / radius) * 180.0 / std::numbers::pi);
        QPainterPath disc;
        drawsupport::appendArc(disc, centre, radius, -a, a, true);
        drawsupport::appendArc(disc, centre, radius, 180.0f - a, 180.0f + a, true);
        disc.closeSubpath();
        path.addPath(disc);
    } else {
        path.addRect(QRectF(x, y, w, h));
    }
    const float inner = float(innerDiameter) / 2.0f;
    if (inner > 0.0f)
        path.addEllipse(centre, inner, inner);
    return path;
}

std::optional<QPainterPath> CADocument::documentSurfacePathForRect(const QRectF &rect) const
{
    const CFTADocument *document = ftDocument();
    if (!document)
        return std::nullopt;
    return documentSurfacePathForRect(rect, document->GetCornerRadius(), 0.0, 0.0, document->IsHorizontal(0));
}

std::optional<QPainterPath> CADocument::windowPath() const
{
    const CFTADocument *document = ftDocument();
    if (!document)
        return std::nullopt;
    const QRectF window(document->GetWinLeftOffset(),
                        document->getDocumentSizeY(0) - document->GetWinHeight() - document->GetWinBottomOffset(),
                        document->GetWinWidth(), document->GetWinHeight());
    return documentSurfacePathForRect(window, document->GetWinCornerRadius(), 0.0, 0.0, true);
}

void CADocument::resetObjects()
{
    if (CFTADocument *document = ftDocument())
        document->resetObjects();
}

void CADocument::nextStepObjects()
{
    if (CFTADocument *document = ftDocument())
        document->nextStepObjects();
}

void CADocument::clearObjects()
{
    if (CFTADocument *document = ftDocument())
        document->clearObjects();
}

void CADocument::setValueObjects(int number)
{
    if (CFTADocument *document = ftDocument())
        document->setValueObjects(number);
}

void CADocument::snapshotObjects()
{
    if (CFTADocument *document = ftDocument())
        document->snapshotObjects();
}

void CADocument::restoreObjects()
{
    if (CFTADocument *document = ftDocument())
        document->restoreObjects();
}
