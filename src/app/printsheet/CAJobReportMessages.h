#pragma once

#include <QString>
#include <QStringList>

class PWJobReport;
class QWidget;

// How a window tells what a print or export job gave up on: every line of its report, under the
// heading the report gives (PWJobReport::heading).
namespace CAJobReportMessages {

// After a job that printed or wrote its pages: a box over parent naming each of them; nothing
// when the report is empty. The box's object name is "_jobReport"; it warns when the job failed
// (PWJobReport::failsJob), and only informs otherwise.
void tellAfterJob(QWidget *parent, const PWJobReport &report);
// The text of that box's details: the report's lines, at most kMaxLines of them.
QString details(const PWJobReport &report);
constexpr int kMaxLines = 30;
// The print sheet's note on the addresses of its preview that do not fit; empty for none.
QString fitNote(const QStringList &lines);

} // namespace CAJobReportMessages
