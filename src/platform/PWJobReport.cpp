#include "platform/PWJobReport.h"

#include "platform/PWBitmapDecodes.h"
#include "platform/PWBundle.h"
#include "platform/PWPictureRenderer.h"

#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

struct PWJobReport::State
{
    QThread *thread = nullptr;
    qint64 lostLeftMs = 0;
    WaitHook hook;
    bool cancelled = false;
    QHash<Kind, QStringList> lines;
    QSet<std::pair<int, QString>> keys;
    // Every note of a kind, a key noted again included.
    QHash<Kind, qsizetype> noted;
};

namespace {

struct Registry
{
    std::mutex mutex;
    std::vector<PWJobReport::State *> open; // in the order they were made
};

Registry &registry()
{
    static Registry *instance = new Registry;
    return *instance;
}

// The report a drawing on this thread works for; called with the lock held.
PWJobReport::State *currentLocked(Registry &r)
{
    for (auto it = r.open.rbegin(); it != r.open.rend(); ++it)
        if ((*it)->thread == QThread::currentThread())
            return *it;
    return r.open.empty() ? nullptr : r.open.back();
}

qint64 defaultLostMs()
{
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("PW_PICTURE_JOB_BOUND_MS", &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : qint64(3) * PWPictureRenderer::deadlineMs();
}

// Every kind of the report and what it means for its job, in the order a job names them. A kind
// fails the job when the output holds something in place of what was asked for, or leaves it
// out: that is no output to take for done. The notes say what the user may want to know of an
// output that is what was designed (a column nothing prints, a font in place of another), and
// leave the job done.
constexpr PWJobReport::KindText kKinds[] = {
    {PWJobReport::Kind::DesignNotRead, true, "Part of the design could not be read.",
     "part of the design could not be read", "part of the design could not be read"},
    {PWJobReport::Kind::ContactsNotAsRead, true, "The contacts file could not be read as it is.",
     "the contacts file could not be read as it is (1 problem)",
     "the contacts file could not be read as it is (%1 problems)"},
    {PWJobReport::Kind::CalibrationNotApplied, true, "The printer calibration in the settings could not be used.",
     "the printer calibration in the settings was not applied", "the printer calibrations in the settings were not applied"},
    {PWJobReport::Kind::NoFonts, true, "No fonts are installed: the texts were printed as boxes.",
     "no fonts are installed: its texts are boxes", "no fonts are installed: its texts are boxes"},
    {PWJobReport::Kind::MissingLetters, true, "Some letters are in no installed font and were printed as empty boxes.",
     "1 text has letters that no installed font holds", "%1 texts have letters that no installed font holds"},
    {PWJobReport::Kind::OffPaper, true, "Some items were printed off the paper.", "items were printed off the paper",
     "items were printed off the paper"},
    {PWJobReport::Kind::UnknownPaper, true, "The layout names a paper that is not known: it was printed on another.",
     "the layout's paper is not known", "the layout's paper is not known"},
    {PWJobReport::Kind::PlacementLost, true, "The layout lacks margins or gaps of its sheet: the labels are off their places.",
     "the layout lacks margins or gaps of its sheet", "the layout lacks margins or gaps of its sheet"},
    // The design is printed whole, on paper that holds it: a note, no failure.
    {PWJobReport::Kind::OwnPaper, false, "A design larger than the default page was printed on a page of its own size.",
     "1 design was printed on a page of its own size", "%1 designs were printed on pages of their own size"},
    {PWJobReport::Kind::Placeholder, true, "Some pictures were printed as placeholders.",
     "1 picture was drawn as a placeholder", "%1 pictures were drawn as placeholders"},
    {PWJobReport::Kind::AddressTooLong, true, "Some addresses do not fit where they are printed, even in the smallest type.",
     "1 address does not fit where it is printed", "%1 addresses do not fit where they are printed"},
    {PWJobReport::Kind::AddressPastEdge, true, "Some addresses run past the edge of the design.",
     "1 address runs past the edge of the design", "%1 addresses run past the edge of the design"},
    {PWJobReport::Kind::TextPastEdge, true, "Some texts run past the edge of the design.",
     "1 text runs past the edge of the design", "%1 texts run past the edge of the design"},
    {PWJobReport::Kind::CutByWindow, true, "The envelope's window cuts away part of some items.",
     "1 item is cut by the envelope's window", "%1 items are cut by the envelope's window"},
    {PWJobReport::Kind::CounterOutOfNumbers, true, "A counter ran out of whole numbers: some items have no number.",
     "1 counter ran out of whole numbers", "%1 counters ran out of whole numbers"},
    {PWJobReport::Kind::FileFieldNotRead, true, "The text file of a file field could not be read: the field prints nothing.",
     "1 file field's text file could not be read", "%1 file fields' text files could not be read"},
    {PWJobReport::Kind::NoRecipient, true, "The design has no recipient's address: the persons were not printed.",
     "the design has no recipient's address for the persons", "the design has no recipient's address for the persons"},
    {PWJobReport::Kind::ContactsReadOtherwise, false, "Some lines of the contacts file were read otherwise than written.",
     "1 line of the contacts file was read otherwise than written",
     "%1 lines of the contacts file were read otherwise than written"},
    {PWJobReport::Kind::ColumnsNotRead, false, "Some columns of the contacts file hold no field and were not read.",
     "some columns of the contacts file were not read", "some columns of the contacts files were not read"},
    {PWJobReport::Kind::FieldsWithoutColumn, false, "No column of the contacts file gives some fields the design shows.",
     "no column gives some fields the design shows", "no column gives some fields the design shows"},
    {PWJobReport::Kind::FontReplaced, false,
     "Some fonts the design names are not installed, or some texts name no font: others were used.",
     "1 font is not installed or not named", "%1 fonts are not installed or not named"},
};

constexpr bool tableInEnumOrder()
{
    if (std::size(kKinds) != std::size_t(PWJobReport::kKindCount))
        return false;
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (int(kKinds[i].kind) != int(i))
            return false;
    return true;
}
static_assert(tableInEnumOrder(), "every kind of the job report has its row, in the enum's order");

// Whether a kind's summing up counts every item noted, the copies of one among them (each cut
// envelope is an item of the output), where its lines name each item once.
constexpr bool countsCopies(PWJobReport::Kind kind)
{
    return kind == PWJobReport::Kind::CutByWindow;
}

thread_local PWJobReport::ItemScope *t_item = nullptr;

// A line of text, as a job's line quotes it.
QString quoted(const QString &text)
{
    QString line = text;
    line.removeIf([](QChar c) { return c.category() == QChar::Other_Control && !c.isSpace(); });
    line = line.simplified();
    constexpr int kQuoted = 60;
    if (line.size() > kQuoted)
        line = line.left(kQuoted) + QStringLiteral("...");
    return line;
}

QString namedLetters(const QString &letters)
{
    QStringList named;
    const QList<uint> codes = letters.toUcs4();
    for (qsizetype i = 0; i < std::min<qsizetype>(codes.size(), PWJobReport::kNamedLetters); ++i)
        named.append(QStringLiteral("%1 (U+%2)").arg(QString::fromUcs4(reinterpret_cast<const char32_t *>(&codes[i]), 1),
                                                     QString::number(codes[i], 16).toUpper().rightJustified(4, u'0')));
    if (codes.size() > PWJobReport::kNamedLetters)
        named.append(QStringLiteral("%1 more").arg(codes.size() - PWJobReport::kNamedLetters));
    return named.join(QStringLiteral(", "));
}

// A selector of a letter's variant (text or emoji style, a glyph variant) draws nothing of its own:
// a font lacking it lacks no letter.
bool isVariationSelector(uint code)
{
    return (code >= 0xFE00 && code <= 0xFE0F) || (code >= 0xE0100 && code <= 0xE01EF)
           || (code >= 0x180B && code <= 0x180D) || code == 0x180F;
}

// Adds the letters of more that letters lacks, as many as a line names and one more (for "more").
void addLetters(QString *letters, const QString &more)
{
    QList<uint> have = letters->toUcs4();
    for (const uint code : more.toUcs4()) {
        if (have.size() > PWJobReport::kNamedLetters * 4)
            break;
        if (!have.contains(code) && !isVariationSelector(code))
            have.append(code);
    }
    *letters = QString::fromUcs4(reinterpret_cast<const char32_t *>(have.constData()), have.size());
}

} // namespace

const PWJobReport::KindText &PWJobReport::kindText(Kind kind)
{
    const int index = std::clamp(int(kind), 0, kKindCount - 1);
    return kKinds[index];
}

PWJobReport::PWJobReport(int lostPictureMs)
    : m_state(new State)
{
    m_state->thread = QThread::currentThread();
    m_state->lostLeftMs = lostPictureMs > 0 ? lostPictureMs : defaultLostMs();
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    r.open.push_back(m_state);
}

PWJobReport::~PWJobReport()
{
    bool last = false;
    {
        Registry &r = registry();
        std::lock_guard lock(r.mutex);
        r.open.erase(std::remove(r.open.begin(), r.open.end(), m_state), r.open.end());
        last = r.open.empty();
    }
    delete m_state;
    // The pictures the jobs decoded at their outputs' resolutions are not the window's.
    if (last)
        PWBitmapDecodes::endJob();
}

void PWJobReport::note(Kind kind, const QString &key, const QString &line)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    for (State *state : r.open) {
        ++state->noted[kind];
        if (state->keys.contains({int(kind), key}))
            continue;
        state->keys.insert({int(kind), key});
        state->lines[kind].append(line);
    }
}

bool PWJobReport::anyOpen()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return !r.open.empty();
}

QStringList PWJobReport::lines(Kind kind) const
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return m_state->lines.value(kind);
}

QStringList PWJobReport::allLines() const
{
    QStringList all;
    for (const KindText &kind : kKinds)
        all.append(lines(kind.kind));
    return all;
}

bool PWJobReport::failsJob() const
{
    for (const KindText &kind : kKinds)
        if (kind.failsJob && !lines(kind.kind).isEmpty())
            return true;
    return false;
}

QString PWJobReport::heading() const
{
    const KindText *only = nullptr;
    int kinds = 0;
    for (const KindText &kind : kKinds)
        if (!lines(kind.kind).isEmpty()) {
            only = &kind;
            ++kinds;
        }
    if (kinds == 0)
        return QString();
    if (kinds == 1)
        return PWLocalizedString(QString::fromLatin1(only->heading));
    return PWLocalizedString(failsJob() ? QStringLiteral("The job was done, but not everything came out as designed.")
                                        : QStringLiteral("The job was done as designed; some of it is worth knowing."));
}

QString PWJobReport::failureSummary() const
{
    QStringList what;
    for (const KindText &kind : kKinds) {
        qsizetype count = lines(kind.kind).size();
        if (countsCopies(kind.kind) && count > 0) {
            Registry &r = registry();
            std::lock_guard lock(r.mutex);
            count = std::max(count, m_state->noted.value(kind.kind));
        }
        if (kind.failsJob && count > 0)
            what.append(count == 1 ? QString::fromLatin1(kind.one) : QString::fromLatin1(kind.many).arg(count));
    }
    return what.join(QStringLiteral(" and "));
}

void PWJobReport::noteMissingLetters(const QString &text, const QString &letters)
{
    if (letters.isEmpty() || !anyOpen())
        return;
    if (t_item) {
        addLetters(&t_item->m_letters, letters);
        return;
    }
    QString named;
    addLetters(&named, letters);
    if (named.isEmpty())
        return;
    note(Kind::MissingLetters, QStringLiteral("text ") + text,
         QStringLiteral("the letters %1 of \"%2\" are in no installed font: they print as empty boxes")
             .arg(namedLetters(named), quoted(text)));
}

PWJobReport::ItemScope::ItemScope(const QString &subject)
    : m_outer(t_item)
    , m_subject(subject)
{
    t_item = this;
}

PWJobReport::ItemScope::~ItemScope()
{
    t_item = m_outer;
    if (m_letters.isEmpty())
        return;
    note(Kind::MissingLetters, QStringLiteral("item ") + m_subject,
         QStringLiteral("the letters %1 of %2 are in no installed font: they print as empty boxes")
             .arg(namedLetters(m_letters), quoted(m_subject)));
}

bool PWJobReport::isEmpty() const
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return m_state->keys.isEmpty();
}

void PWJobReport::setWaitHook(WaitHook hook)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    m_state->hook = std::move(hook);
}

bool PWJobReport::isCancelled() const
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return m_state->cancelled;
}

bool PWJobReport::waitsWithHook()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const State *state = currentLocked(r);
    return state && state->hook && state->thread == QThread::currentThread();
}

bool PWJobReport::keepWaiting()
{
    Registry &r = registry();
    WaitHook hook;
    {
        std::lock_guard lock(r.mutex);
        State *state = currentLocked(r);
        if (!state)
            return true;
        if (state->cancelled)
            return false;
        if (state->thread != QThread::currentThread() || !state->hook)
            return true;
        hook = state->hook;
    }
    // Called unlocked: the hook may run events whose drawings note things.
    const bool keep = hook();
    std::lock_guard lock(r.mutex);
    if (State *state = currentLocked(r); !keep && state && state->thread == QThread::currentThread())
        state->cancelled = true;
    return keep;
}

bool PWJobReport::cancelled()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const State *state = currentLocked(r);
    return state && state->cancelled;
}

int PWJobReport::pictureTimeLeftMs()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const State *state = currentLocked(r);
    return state ? int(std::clamp<qint64>(state->lostLeftMs, 0, std::numeric_limits<int>::max())) : -1;
}

void PWJobReport::pictureTimeLost(qint64 milliseconds)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    if (State *state = currentLocked(r))
        state->lostLeftMs = std::max<qint64>(0, state->lostLeftMs - std::max<qint64>(0, milliseconds));
}
