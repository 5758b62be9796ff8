#include "app/pictures/CCInternetSearchBinding.h"

#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCGoogleSearchItem.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictImageResolver.h"
#include "app/pictures/CCPicturesLog.h"
#include "app/pictures/CCSearchField.h"
#include "platform/PWBundle.h"

#include <QMessageBox>

CCInternetSearchBinding::CCInternetSearchBinding(QObject *parent)
    : QObject(parent)
    , m_search(new CCGoogleSearch(this))
{
    m_search->setClearAction([this](CCGoogleSearch &) { prepare(); });
    m_search->setAddAction([this](CCGoogleSearch &, CCGoogleSearchItem &) { add(); });
    m_search->setStopAction([this](CCGoogleSearch &) { reset(); });
}

CCInternetSearchBinding::~CCInternetSearchBinding()
{
    m_search->setClearAction(nullptr);
    m_search->setAddAction(nullptr);
    m_search->setStopAction(nullptr);
}

void CCInternetSearchBinding::setSearchField(CCSearchField *field)
{
    if (field == m_field)
        return;
    disconnect(m_stopConnection);
    m_field = field;
    if (field)
        m_stopConnection = connect(field, &CCSearchField::stopRequested, this, &CCInternetSearchBinding::stopSearch);
}

QString CCInternetSearchBinding::noServiceMessage()
{
    return PWLocalizedString(QStringLiteral("No internet image search service is set."));
}

double CCInternetSearchBinding::progressValue(int current, int count)
{
    if (count <= 0 || current >= count - 1)
        return 0.0;
    // The step is computed in single precision, as the field always showed it.
    return 20.0 + double(current + 1) * double(77.0f / float(count));
}

void CCInternetSearchBinding::searchInternet(const QString &text)
{
    setProgress(23);
    if (m_catalog)
        m_catalog->clearMatrix();
    else
        qCWarning(lcPictures, "No picture grid shows the internet search for '%s'", qPrintable(text));
    switch (m_search->searchWithString(text)) {
    case CCGoogleSearch::Start::Started:
        break;
    case CCGoogleSearch::Start::NoService:
        setProgress(0);
        notice(noServiceMessage());
        break;
    case CCGoogleSearch::Start::NoText:
        setProgress(0);
        break;
    }
}

void CCInternetSearchBinding::stopSearch()
{
    m_search->stop();
    setProgress(0);
    if (m_catalog)
        m_catalog->clearLoadingCells();
}

void CCInternetSearchBinding::prepare()
{
    if (m_catalog)
        m_catalog->prepareMatrixWithSender({m_search->itemCount(), m_search->current()});
}

void CCInternetSearchBinding::add()
{
    const int current = m_search->current();
    const int count = m_search->itemCount();
    setProgress(progressValue(current, count));
    const CCGoogleSearchItem *item = m_search->itemAtIndex(current);
    if (m_catalog && item)
        m_catalog->dynamicAddImageWithGoogleSearchItem({count, current},
                                                       {item->urlImage(), item->getWebSite(), item->getData()});
}

void CCInternetSearchBinding::reset()
{
    setProgress(0);
    if (!m_catalog)
        return;
    // Thumbnails that never came leave no placeholder behind; the pictures that came stay where
    // they are.
    for (int row = 0; row < m_catalog->numberOfRows(); ++row) {
        for (int column = 0; column < m_catalog->numberOfColumns(); ++column) {
            CCPictCell *cell = m_catalog->cellAtRowColumn(row, column);
            if (cell && cell->imageReference() == CCPictImageResolver::kLoading)
                cell->clear();
        }
    }
    m_catalog->update();
}

void CCInternetSearchBinding::setProgress(double value)
{
    if (!m_field)
        return;
    m_field->setMinValue(0);
    m_field->setMaxValue(100);
    m_field->setDoubleValue(value);
    m_field->update();
}

void CCInternetSearchBinding::notice(const QString &text)
{
    if (m_notice) {
        m_notice(text);
        return;
    }
    QWidget *over = m_field ? static_cast<QWidget *>(m_field) : static_cast<QWidget *>(m_catalog);
    auto *box = new QMessageBox(QMessageBox::Information, PWLocalizedString(QStringLiteral("Internet")), text,
                                QMessageBox::Ok, over ? over->window() : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(over ? Qt::WindowModal : Qt::ApplicationModal);
    box->open();
}
