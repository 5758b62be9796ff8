#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class PWPerson;

// The contact cards one drop or one paste brings (vCard data, .vcf files). A design shows one
// person a side: of each source the first person card is offered, and of the whole drop only the
// person made current last stays. The rest is counted so the user can be told: cards read and not
// used, and cards that could not be read, with the first reason.
class CACanvasCards
{
public:
    // The first person card of the data (a card as a contacts program hands it over); null, the
    // reason kept, for data that is empty, too large or holds no complete card. from names the
    // source in a reason (a file), empty for data.
    std::shared_ptr<PWPerson> read(const QByteArray &bytes, const QString &from = QString());
    // The same from a vCard file; null, the reason kept, for a file that cannot be read.
    std::shared_ptr<PWPerson> readFile(const QString &path);
    // A person read became the current one, in place of any before it.
    void used() { m_used = true; }

    // Person cards read, used or not.
    int cardsRead() const { return m_read; }
    // Cards that could not be read.
    int refused() const { return m_refused; }
    // Read and not the person shown: every card read but the one used last.
    int unused() const { return m_read - (m_used ? 1 : 0); }
    // One line for the user: how many cards were not used and why the first refused card was;
    // empty when every card the user brought was used.
    QString line() const;

private:
    void refuse(int cards, const QString &from, const QString &reason);

    int m_read = 0;
    int m_refused = 0;
    bool m_used = false;
    QString m_reason;
};
