#pragma once

#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCSearchField.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class CCGoogleSearch;

// Puts the results of an internet image search into a thumbnail catalogue and its progress into
// a search field: placeholders once the answer is read, each thumbnail as it arrives, the
// field's progress from 23 through 20 + (current + 1) x 77 / count back to 0, and the field's
// stop button stopping the search. Without a service address it says so instead of searching.
class CCInternetSearchBinding : public QObject
{
    Q_OBJECT

public:
    explicit CCInternetSearchBinding(QObject *parent = nullptr);
    ~CCInternetSearchBinding() override;

    CCGoogleSearch &search() { return *m_search; }
    void setCatalog(CCPictCatalog *catalog) { m_catalog = catalog; }
    CCPictCatalog *catalog() const { return m_catalog; }
    void setSearchField(CCSearchField *field);
    CCSearchField *searchField() const { return m_field; }
    // Where a message for the user goes; by default a window-modal message box over the field
    // (or the catalogue).
    void setNoticeHandler(std::function<void(const QString &)> handler) { m_notice = std::move(handler); }

    // Starts a search for text, abandoning the one before.
    void searchInternet(const QString &text);
    // The field's stop button: the search stops and the placeholders left go.
    void stopSearch();

    // The field's progress for the result at index current of count.
    static double progressValue(int current, int count);
    static QString noServiceMessage();

private:
    void prepare();
    void add();
    void reset();
    void setProgress(double value);
    void notice(const QString &text);

    CCGoogleSearch *m_search;
    QPointer<CCPictCatalog> m_catalog;
    QPointer<CCSearchField> m_field;
    QMetaObject::Connection m_stopConnection;
    std::function<void(const QString &)> m_notice;
};
