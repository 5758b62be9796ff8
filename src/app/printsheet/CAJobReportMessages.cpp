#include "app/printsheet/CAJobReportMessages.h"

#include "platform/PWBundle.h"
#include "platform/PWJobReport.h"

#include <QLabel>
#include <QMessageBox>

namespace CAJobReportMessages {

namespace {

QString sentence(const QString &line)
{
    return line.isEmpty() ? line : line.left(1).toUpper() + line.mid(1) + u'.';
}

} // namespace

QString details(const PWJobReport &report)
{
    QStringList lines = report.lines(PWJobReport::Kind::NoFonts);
    lines.append(report.lines(PWJobReport::Kind::OffPaper));
    lines.append(report.lines(PWJobReport::Kind::Placeholder));
    lines.append(report.lines(PWJobReport::Kind::AddressTooLong));
    lines.append(report.lines(PWJobReport::Kind::AddressPastEdge));
    QStringList shown;
    for (const QString &line : std::as_const(lines).first(std::min<qsizetype>(lines.size(), kMaxLines)))
        shown.append(sentence(line));
    if (lines.size() > kMaxLines)
        shown.append(PWLocalizedString(QStringLiteral("And %1 more.")).arg(lines.size() - kMaxLines));
    return shown.join(u'\n');
}

void tellAfterJob(QWidget *parent, const PWJobReport &report)
{
    const bool pictures = !report.lines(PWJobReport::Kind::Placeholder).isEmpty();
    const bool addresses = !report.lines(PWJobReport::Kind::AddressTooLong).isEmpty();
    const bool others = !report.lines(PWJobReport::Kind::NoFonts).isEmpty()
                        || !report.lines(PWJobReport::Kind::OffPaper).isEmpty()
                        || !report.lines(PWJobReport::Kind::AddressPastEdge).isEmpty();
    if (!pictures && !addresses && !others)
        return;
    const QString text =
        others ? PWLocalizedString(QStringLiteral("The job was done, but not everything came out as designed."))
        : pictures && addresses
            ? PWLocalizedString(QStringLiteral("Some pictures were printed as placeholders, and some addresses do not fit their labels."))
        : pictures ? PWLocalizedString(QStringLiteral("Some pictures were printed as placeholders."))
                   : PWLocalizedString(QStringLiteral("Some addresses do not fit their labels, even in the smallest type."));
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Parcelwick"), text, QMessageBox::Ok, parent);
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
