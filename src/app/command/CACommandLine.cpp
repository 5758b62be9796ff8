#include "app/command/CACommandLine.h"

#include "app/command/CABatchJob.h"

#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextEncodings.h"
#include "app/shell/CADocumentServices.h"
#include "platform/PWPathStatus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <cstdlib>
#include <cstring>


static_assert(CACommandLine::kMaximumCopies == CABatchJob::kMaxPrintedItems,
              "more copies than one print job holds are refused as the options are read");

namespace {

const QString kPrint = QStringLiteral("print");
const QString kExport = QStringLiteral("export");
const QString kContacts = QStringLiteral("contacts");
const QString kColumn = QStringLiteral("column");
const QString kEncoding = QStringLiteral("encoding");
const QString kPrintList = QStringLiteral("print-list");
const QString kCopies = QStringLiteral("copies");
const QString kStart = QStringLiteral("start");
const QString kOutput = QStringLiteral("output");
const QString kPrinter = QStringLiteral("printer");
const QString kPreview = QStringLiteral("preview");
const QString kPrintDialog = QStringLiteral("print-dialog");
const QString kPrintMultiple = QStringLiteral("print-multiple");
const QString kShowSheet = QStringLiteral("show-sheet");
const QString kImportContacts = QStringLiteral("import-contacts");
const QString kInto = QStringLiteral("into");
const QString kAppend = QStringLiteral("append");
const QString kAssistant = QStringLiteral("assistant");
const QString kNew = QStringLiteral("new");

QList<QCommandLineOption> jobOptions()
{
    return {
        {kPrint, QStringLiteral("Print DESIGN without any window, to --output or --printer."), QStringLiteral("DESIGN")},
        {kExport, QStringLiteral("Export DESIGN to the PDF or TIFF file named after it, without any window."),
         QStringLiteral("DESIGN")},
        {kContacts, QStringLiteral("Print one item for each person of FILE (vCard, or comma- or tab-delimited text)."),
         QStringLiteral("FILE")},
        {kColumn,
         QStringLiteral("With --contacts of delimited text: the column headed HEADER holds the field KEY (one of %1) "
                        "in place of the one its header gave it, and no other column holds KEY; skip leaves the "
                        "column unread. May be given for several columns.")
             .arg(CADelimitedText::fieldKeys().join(QStringLiteral(", "))),
         QStringLiteral("HEADER=KEY")},
        {kEncoding,
         QStringLiteral("With --contacts of delimited text: read it in the encoding NAME (one of %1) whatever its "
                        "bytes suggest.")
             .arg(CATextEncodings::names().join(QStringLiteral(", "))),
         QStringLiteral("NAME")},
        {kPrintList, QStringLiteral("Print one item for each person of the print list NAME."), QStringLiteral("NAME")},
        {kCopies,
         QStringLiteral("Items per person; without persons, items of the design (default: one full sheet)."),
         QStringLiteral("N")},
        {kStart, QStringLiteral("Position of the first item on the first sheet (default 1)."), QStringLiteral("N")},
        {kOutput, QStringLiteral("Write the print job to the PDF file OUT."), QStringLiteral("OUT")},
        {kPrinter, QStringLiteral("Send the print job to the printer NAME."), QStringLiteral("NAME")},
    };
}

// Commands for the running instance (started first when none runs).
QList<QCommandLineOption> instanceOptions()
{
    return {
        {kPreview, QStringLiteral("Open DESIGN and show its print sheet."), QStringLiteral("DESIGN")},
        {kPrintDialog, QStringLiteral("Open DESIGN and print it through the print dialog."), QStringLiteral("DESIGN")},
        {kPrintMultiple,
         QStringLiteral("Open DESIGN, put the persons of --contacts FILE in place of its own and print one item for "
                        "each, without any sheet unless --show-sheet is given."),
         QStringLiteral("DESIGN")},
        {kShowSheet, QStringLiteral("With --print-multiple: show the print sheet instead of printing at once.")},
        {kImportContacts,
         QStringLiteral("Put the persons of FILE (vCard, or comma- or tab-delimited text) in place of the persons of "
                        "the design --into DESIGN (default: the front design), or after them with --append."),
         QStringLiteral("FILE")},
        {kInto, QStringLiteral("The design --import-contacts fills."), QStringLiteral("DESIGN")},
        {kAppend, QStringLiteral("With --import-contacts: add the persons after the design's own.")},
        {kAssistant,
         QStringLiteral("Show the assistant for TYPE: ral (return address labels), adr (address labels), shp "
                        "(shipping labels), enp (envelopes), mps (postcards); any other TYPE starts where it was "
                        "left."),
         QStringLiteral("TYPE")},
        {kNew,
         QStringLiteral("Make a blank design of TYPE: enp an envelope, mps a postcard; ral, adr, shp and any other "
                        "TYPE the same blank label, on the default label layout (a return address or shipping "
                        "label is chosen with --assistant TYPE)."),
         QStringLiteral("TYPE")},
    };
}

// A count of at least 1 and at most largest; a number past it is named as too large, not as no
// number, however many digits it has.
std::optional<int> positiveNumber(const QCommandLineParser &parser, const QString &name, qint64 largest,
                                  QString *error)
{
    const QString text = parser.value(name);
    const QString digits = text.trimmed();
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    const bool wholeNumber =
        !digits.isEmpty() && std::all_of(digits.cbegin() + (digits.startsWith(u'-') || digits.startsWith(u'+') ? 1 : 0),
                                         digits.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const bool positiveHuge = wholeNumber && !digits.startsWith(u'-') && (!ok || value > largest);
    if (positiveHuge) {
        *error = QStringLiteral("--%1 %2 is too large: the largest is %3").arg(name, text).arg(largest);
        return std::nullopt;
    }
    if (!ok || value < 1) {
        *error = QStringLiteral("--%1 needs a whole number of at least 1, not \"%2\"").arg(name, text);
        return std::nullopt;
    }
    return int(value);
}

template<typename Absolute>
bool instanceCommands(const QCommandLineParser &parser, const Absolute &absolute, QList<QJsonObject> *commands,
                      QString *error)
{
    const auto command = [](const QString &name) { return QJsonObject{{QStringLiteral("command"), name}}; };
    if (parser.isSet(kShowSheet) && !parser.isSet(kPrintMultiple)) {
        *error = QStringLiteral("--%1 belongs to --%2").arg(kShowSheet, kPrintMultiple);
        return false;
    }
    for (const QString &name : {kInto, kAppend}) {
        if (parser.isSet(name) && !parser.isSet(kImportContacts)) {
            *error = QStringLiteral("--%1 belongs to --%2").arg(name, kImportContacts);
            return false;
        }
    }
    // The contacts go into the design before anything prints it.
    if (parser.isSet(kImportContacts)) {
        QJsonObject import = command(QStringLiteral("importContacts"));
        import.insert(QStringLiteral("contacts"), absolute(parser.value(kImportContacts)));
        if (parser.isSet(kInto))
            import.insert(QStringLiteral("file"), absolute(parser.value(kInto)));
        import.insert(QStringLiteral("append"), parser.isSet(kAppend));
        commands->append(import);
    }
    if (parser.isSet(kPreview)) {
        QJsonObject preview = command(QStringLiteral("preview"));
        preview.insert(QStringLiteral("file"), absolute(parser.value(kPreview)));
        commands->append(preview);
    }
    if (parser.isSet(kPrintDialog)) {
        QJsonObject print = command(QStringLiteral("printWithDialog"));
        print.insert(QStringLiteral("file"), absolute(parser.value(kPrintDialog)));
        commands->append(print);
    }
    if (parser.isSet(kPrintMultiple)) {
        if (!parser.isSet(kContacts)) {
            *error = QStringLiteral("--%1 needs --contacts FILE").arg(kPrintMultiple);
            return false;
        }
        QJsonObject print = command(QStringLiteral("printMultiple"));
        print.insert(QStringLiteral("file"), absolute(parser.value(kPrintMultiple)));
        print.insert(QStringLiteral("contacts"), absolute(parser.value(kContacts)));
        print.insert(QStringLiteral("showPreview"), parser.isSet(kShowSheet));
        commands->append(print);
    }
    if (parser.isSet(kNew)) {
        QJsonObject blank = command(QStringLiteral("blankDocument"));
        blank.insert(QStringLiteral("withType"), parser.value(kNew));
        commands->append(blank);
    }
    if (parser.isSet(kAssistant)) {
        QJsonObject assistant = command(QStringLiteral("assistant"));
        assistant.insert(QStringLiteral("withType"), parser.value(kAssistant));
        commands->append(assistant);
    }
    return true;
}

} // namespace

QList<QCommandLineOption> CACommandLine::options()
{
    return jobOptions() + instanceOptions() + CADocumentServices::commandLineOptions();
}

bool CACommandLine::isHeadless(int argc, const char *const *argv)
{
    static const char *const kHeadless[] = {"--print", "--export", "--help", "-h", "--version", "-v"};
    // "--" ends the options: what follows are file names, whatever they look like.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        for (const char *option : kHeadless) {
            const std::size_t length = std::strlen(option);
            if (std::strncmp(argv[i], option, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '='))
                return true;
        }
    }
    return false;
}

bool CACommandLine::mentionsToolkitOption(int argc, const char *const *argv)
{
    static const char *const kToolkit[] = {"-platform",   "-platformpluginpath", "-platformtheme", "-plugin",
                                           "-qmljsdebugger", "-qwindowgeometry", "-qwindowicon",  "-qwindowtitle",
                                           "-reverse",    "-session",            "-style",         "-stylesheet",
                                           "-widgetcount", "-display",           "-geometry",      "-name",
                                           "-title",      "-visual",             "-ncols",         "-cmap",
                                           "-nograb",     "-dograb",             "-sync",          "-graphicssystem"};
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        for (const char *option : kToolkit) {
            const std::size_t length = std::strlen(option);
            if (std::strncmp(argv[i], option, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '='))
                return true;
            // The same with two dashes, as Qt accepts them too.
            if (argv[i][0] == '-' && std::strncmp(argv[i] + 1, option, length) == 0 &&
                (argv[i][length + 1] == '\0' || argv[i][length + 1] == '='))
                return true;
        }
    }
    return false;
}

QString CACommandLine::helpText()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Designs address labels, envelopes and postcards.\n\nWith --print or --export the program "
                       "runs without any window and exits with status 0 when the job is done, 1 when it failed "
                       "and 2 when the options were not understood, with a one-line reason on standard error.\n"
                       "Otherwise the designs named go to the program already running for this user, if any."));
    parser.addOptions(options());
    // Our own help option: the toolkit's would also list a --help-all that nothing answers.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")));
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Designs to open; with --export, the output."),
                                 QStringLiteral("[files...]"));
    return parser.helpText();
}

std::optional<CACommandRequest> CACommandLine::parse(const QStringList &arguments, const QString &workingDirectory,
                                                     QString *error, bool *helpOrVersion)
{
    QString reason;
    const auto fail = [&](const QString &text) -> std::optional<CACommandRequest> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    QCommandLineParser parser;
    parser.addOptions(options());
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (helpOrVersion)
        *helpOrVersion = parser.isSet(help) || parser.isSet(version);

    const QDir base(workingDirectory);
    const auto absolute = [&](const QString &path) { return QDir::cleanPath(base.absoluteFilePath(path)); };
    CACommandRequest request;
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(kPrint) && parser.isSet(kExport))
        return fail(QStringLiteral("--print and --export cannot be given together"));

    const bool batch = parser.isSet(kPrint) || parser.isSet(kExport);
    for (const QString &name : {kPreview, kPrintDialog, kPrintMultiple, kShowSheet, kImportContacts, kInto, kAppend,
                                kAssistant, kNew}) {
        if (batch && parser.isSet(name))
            return fail(QStringLiteral("--%1 is for the running program and cannot be given with --%2")
                            .arg(name, parser.isSet(kPrint) ? kPrint : kExport));
    }
    for (const QString &name : {kContacts, kColumn, kEncoding, kPrintList, kCopies, kStart, kOutput, kPrinter}) {
        if (!batch && parser.isSet(name) && !(name == kContacts && parser.isSet(kPrintMultiple)))
            return fail(QStringLiteral("--%1 belongs to --print").arg(name));
    }
    if (parser.isSet(kExport)) {
        request.mode = CACommandRequest::Mode::BatchExport;
        request.design = absolute(parser.value(kExport));
        for (const QString &name : {kContacts, kColumn, kEncoding, kPrintList, kCopies, kStart, kPrinter}) {
            if (parser.isSet(name))
                return fail(QStringLiteral("--%1 belongs to --print, not to --export").arg(name));
        }
        QStringList outputs = positional;
        if (parser.isSet(kOutput))
            outputs.append(parser.value(kOutput));
        if (outputs.size() != 1)
            return fail(QStringLiteral("--export needs exactly one output file (OUT.pdf or OUT.tiff)"));
        request.output = absolute(outputs.first());
        const QString suffix = QFileInfo(request.output).suffix().toLower();
        if (suffix != u"pdf" && suffix != u"tif" && suffix != u"tiff")
            return fail(QStringLiteral("the export file must end in .pdf, .tif or .tiff: %1").arg(request.output));
        return request;
    }
    if (parser.isSet(kPrint)) {
        request.mode = CACommandRequest::Mode::BatchPrint;
        request.design = absolute(parser.value(kPrint));
        if (!positional.isEmpty())
            return fail(QStringLiteral("unexpected argument with --print: %1").arg(positional.first()));
        if (parser.isSet(kContacts) && parser.isSet(kPrintList))
            return fail(QStringLiteral("--contacts and --print-list cannot be given together"));
        if (parser.isSet(kOutput) == parser.isSet(kPrinter))
            return fail(QStringLiteral("--print needs either --output OUT.pdf or --printer NAME"));
        if (parser.isSet(kContacts))
            request.contacts = absolute(parser.value(kContacts));
        if (parser.isSet(kColumn) && !parser.isSet(kContacts))
            return fail(QStringLiteral("--column belongs to --contacts"));
        for (const QString &column : parser.values(kColumn)) {
            const qsizetype equals = column.lastIndexOf(u'=');
            const QString header = equals > 0 ? column.left(equals).trimmed() : QString();
            const QString key = equals > 0 ? column.mid(equals + 1).trimmed() : QString();
            if (header.isEmpty() || !CADelimitedText::fieldKeys().contains(key))
                return fail(QStringLiteral("--column needs HEADER=KEY with KEY one of %1: %2")
                                .arg(CADelimitedText::fieldKeys().join(QStringLiteral(", ")), column));
            request.columns.append({header, key});
        }
        if (parser.isSet(kEncoding)) {
            if (!parser.isSet(kContacts))
                return fail(QStringLiteral("--encoding belongs to --contacts"));
            request.encoding = CATextEncodings::fromName(parser.value(kEncoding));
            if (!request.encoding)
                return fail(QStringLiteral("--encoding needs one of %1: %2")
                                .arg(CATextEncodings::names().join(QStringLiteral(", ")), parser.value(kEncoding)));
        }
        request.printList = parser.value(kPrintList);
        if (parser.isSet(kCopies)) {
            request.copies = positiveNumber(parser, kCopies, CACommandLine::kMaximumCopies, &reason);
            if (!request.copies)
                return fail(reason);
        }
        if (parser.isSet(kStart)) {
            const std::optional<int> start = positiveNumber(parser, kStart, std::numeric_limits<int>::max(), &reason);
            if (!start)
                return fail(reason);
            request.start = *start;
        }
        if (parser.isSet(kOutput)) {
            request.output = absolute(parser.value(kOutput));
            if (QFileInfo(request.output).suffix().toLower() != u"pdf")
                return fail(QStringLiteral("the print output must be a PDF file ending in .pdf: %1").arg(request.output));
        }
        request.printer = parser.value(kPrinter);
        return request;
    }
    // One request opens a bounded number of designs, so that a mistaken wildcard cannot fill the
    // memory or hold the running instance up for minutes.
    if (positional.size() > kMaximumDesigns)
        return fail(QStringLiteral("at most %1 designs can be opened at once, not %2")
                        .arg(kMaximumDesigns)
                        .arg(positional.size()));
    for (const QString &path : positional)
        request.files.append(absolute(path));
    if (!instanceCommands(parser, absolute, &request.commands, &reason))
        return fail(reason);
    return request;
}

void CACommandLine::printLine(const QString &line)
{
    std::fprintf(stderr, "parcelwick: %s\n", pathBytes(line).constData());
    std::fflush(stderr);
}

QString CACommandLine::argumentText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const quint8 lead = quint8(bytes[i]);
        if (lead < 0x80) {
            text.append(QChar(char16_t(lead)));
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            smallest = 0x10000;
        }
        bool valid = length > 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const quint8 next = quint8(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point are bytes, not text.
        valid = valid && code >= smallest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            text.append(QChar(char16_t(0xDC00 + lead)));
            ++i;
            continue;
        }
        text.append(QString::fromUcs4(&code, 1));
        i += length;
    }
    return text;
}

QByteArray CACommandLine::pathBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        // A kept byte stands alone: the low half of a pair is preceded by its high half.
        const bool keptByte = unit >= 0xDC80 && unit <= 0xDCFF && (i == 0 || !text.at(i - 1).isHighSurrogate());
        if (!keptByte)
            continue;
        bytes.append(QStringView(text).mid(run, i - run).toUtf8());
        bytes.append(char(unit - 0xDC00));
        run = i + 1;
    }
    bytes.append(QStringView(text).mid(run).toUtf8());
    return bytes;
}

QString CACommandLine::currentFolder()
{
    const QByteArray folder = PWPathStatus::workingFolder();
    if (folder.isEmpty())
        return QDir::currentPath();
    return argumentText(QByteArrayView(folder));
}
