#pragma once

#include "app/contacts/CATextFileSource.h"
#include "kernel/merge/CADocument.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A contacts file read for a print, the same way whichever door the print comes through (the
// batch, a script's print-multiple, the window it opens): the persons, or why none print (the file
// is not there or not a regular file, holds no person, or no column of it gives a name); and what
// the job's report says of the reading: the problems that fail the job, and the notes (columns no
// field takes, lines read otherwise than written, the encoding a file was read in, the fields the
// design's address shows that no column gives).
namespace CAContactsFileRead {

enum class Format { ByExtension, VCard, Text };

struct Result
{
    CAPersonList persons;
    // In the order a report names them.
    std::vector<CADocument::PersonsNote> notes;
};

// path: as the command line gives it (any bytes of a name kept, see CACommandLine::argumentText).
// design: the fields its recipient addresses show are named when no column gives them; may be null.
// encoding: of a delimited text file, the encoding chosen (a vCard file names its own), or what
// asks the user when the file's letters read alike in several encodings; without either, the
// reading taken is noted with the others and the option --encoding that chooses one.
std::optional<Result> read(const QString &path, const CATextFileSource::ColumnChoices &columns, Format format,
                           const CADocument *design, QString *reason,
                           const CATextFileSource::EncodingChoice &encoding = CATextFileSource::EncodingChoice());

// Each note into every open job report.
void noteAll(const std::vector<CADocument::PersonsNote> &notes);

} // namespace CAContactsFileRead
