#include "app/printsheet/CAJobReportMessages.h"

#include "platform/PWBundle.h"
#include "platform/PWJobReport.h"

#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>

namespace CAJobReportMessages {

namespace {

// Whether a line opens with a file's name, which is shown as it is written: its subject before
// the first colon, one word or one ending in an extension ("people.csv: ...").
bool opensWithAName(const QString &line)
{
    static const QRegularExpression named(QStringLiteral("^(\\S+|.*\\.[A-Za-z0-9]{1,8}): "));
    const qsizetype colon = line.indexOf(QStringLiteral(": "));
    return colon > 0 && named.match(line.left(colon + 2)).hasMatch();
}

// A line of a report as a sentence: a capital first, unless a name opens it, and one full stop.
QString sentence(const QString &line)
{
    if (line.isEmpty())
        return line;
    QString said = opensWithAName(line) ? line : line.left(1).toUpper() + line.mid(1);
    if (!said.endsWith(u'.') && !said.endsWith(u'?') && !said.endsWith(u'!'))
        said += u'.';
    return said;
}

} // namespace

QString details(const PWJobReport &report)
{
    const QStringList lines = report.allLines();
    QStringList shown;
    for (const QString &line : lines.first(std::min<qsizetype>(lines.size(), kMaxLines)))
        shown.append(sentence(line));
    if (lines.size() > kMaxLines)
        shown.append(PWLocalizedString(QStringLiteral("And %1 more.")).arg(lines.size() - kMaxLines));
    return shown.join(u'\n');
}

void tellAfterJob(QWidget *parent, const PWJobReport &report)
{
    // The report says what each kind of line means and how the box is headed.
    const QString text = report.heading();
    if (text.isEmpty())
        return;
    // A job whose output lacks what was designed warns; one that only has something worth
    // knowing informs.
    auto *box = new QMessageBox(report.failsJob() ? QMessageBox::Warning : QMessageBox::Information,
                                QStringLiteral("Parcelwick"), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("_jobReport"));
    box->setInformativeText(details(report));
    // Names and reasons come from contacts files and pictures: shown as they are, never as markup.
    if (auto *informative = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

QString fitNote(const QStringList &lines)
{
    if (lines.isEmpty())
        return QString();
    QStringList shown;
    for (const QString &line : lines.first(std::min<qsizetype>(lines.size(), kMaxLines)))
        shown.append(sentence(line));
    if (lines.size() > kMaxLines)
        shown.append(PWLocalizedString(QStringLiteral("And %1 more.")).arg(lines.size() - kMaxLines));
    return shown.join(u'\n');
}

} // namespace CAJobReportMessages
