#include "kernel/printing/CACalibrationSettings.h"

#include "kernel/base/FTUtilities.h"
#include "kernel/printing/CAPrintingLog.h"
#include "platform/PWJobReport.h"
#include "platform/PWUserDefaults.h"

#include <QMutex>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

const QString CACalibrationSettings::kDefaultsKey = QStringLiteral("FTCalibration");
const QString CACalibrationSettings::kHorizontalKey = QStringLiteral("FTCalibrationHorizontal");
const QString CACalibrationSettings::kVerticalKey = QStringLiteral("FTCalibrationVertical");
const QString CACalibrationSettings::kScaleKey = QStringLiteral("FTCalibrationScale");
const QString CACalibrationSettings::kScaleEnabledKey = QStringLiteral("FTCalibrationScaleEnabled");

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

// A number stored where the sheet writes text still reads as its value.
QString textOf(const PWPlist &value)
{
    if (value.isString())
        return value.toString();
    if (value.isInteger())
        return QString::number(value.toInteger());
    if (value.isReal())
        return QString::number(value.toReal(), 'g', 9);
    if (value.isBool())
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return QStringLiteral("0");
}

// What a reading that is neither text nor number nor yes-or-no was stored as; nothing for those.
std::optional<QString> storedAs(const PWPlist &value)
{
    if (value.isArray() || value.isDictionary() || value.isData() || value.isDate() || value.type() == PWPlist::Type::Uid)
        return PWUserDefaults::describe(value);
    return std::nullopt;
}

bool flagOf(const PWPlist &value)
{
    if (value.isBool())
        return value.toBool();
    if (value.isNumber())
        return value.toReal() != 0.0;
    if (value.isString()) {
        const QString text = value.toString().trimmed();
        if (text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive) || text.startsWith(QLatin1Char('T'), Qt::CaseInsensitive))
            return true;
        return GetIntFromCFString(text) != 0;
    }
    return false;
}

} // namespace

CACalibrationSettings::CACalibrationSettings(const QString &horizontal, const QString &vertical, const QString &scale,
                                             bool scaleEnabled)
    : m_horizontal(horizontal)
    , m_vertical(vertical)
    , m_scale(scale)
    , m_scaleEnabled(scaleEnabled)
{
}

namespace {

// Texts written where the decimal separator is a comma ("1,5") read as the number they show; a
// point reader alone took them for the whole part and moved the print by the wrong amount.
float calibrationNumber(const QString &text)
{
    QString number = text.trimmed();
    if (!number.contains(QLatin1Char('.')))
        number.replace(QLatin1Char(','), QLatin1Char('.'));
    return GetFloatFromCFString(number);
}

} // namespace

const QString &CACalibrationSettings::readingText(Reading reading) const
{
    return reading == Horizontal ? m_horizontal : reading == Vertical ? m_vertical : m_scale;
}

std::optional<float> CACalibrationSettings::checked(Reading reading) const
{
    if (!m_storedAs[reading].isEmpty())
        return std::nullopt;
    const QString text = readingText(reading).trimmed();
    if (text.isEmpty())
        return 0.0f;
    // The sheet writes a number; a text that starts with none was written by no sheet.
    static const QRegularExpression kNumberStart(QStringLiteral("^[+-]?[0-9.,]"));
    if (!kNumberStart.match(text).hasMatch())
        return std::nullopt;
    const float number = calibrationNumber(text);
    if (!kReadingRanges[reading].millimetres.contains(double(number)))
        return std::nullopt;
    return number;
}

float CACalibrationSettings::horizontal() const
{
    return checked(Horizontal).value_or(0.0f);
}

float CACalibrationSettings::vertical() const
{
    return checked(Vertical).value_or(0.0f);
}

float CACalibrationSettings::scale() const
{
    return checked(Scale).value_or(0.0f);
}

QStringList CACalibrationSettings::problems() const
{
    QStringList found;
    for (const ReadingRange &range : kReadingRanges) {
        if ((range.reading == Scale && !m_scaleEnabled) || checked(range.reading))
            continue;
        if (!m_storedAs[range.reading].isEmpty()) {
            found.append(QStringLiteral("the %1 is stored as %2, not as a number from %3 to %4 mm")
                             .arg(QLatin1String(range.name), m_storedAs[range.reading])
                             .arg(range.millimetres.lowest)
                             .arg(range.millimetres.highest));
            continue;
        }
        found.append(QStringLiteral("the %1 \"%2\" is no number from %3 to %4 mm")
                         .arg(QLatin1String(range.name), readingText(range.reading).trimmed().left(40))
                         .arg(range.millimetres.lowest)
                         .arg(range.millimetres.highest));
    }
    return found;
}

PWPlist::Dictionary CACalibrationSettings::toDictionary() const
{
    return PWPlist::Dictionary{{kHorizontalKey, PWPlist::fromString(m_horizontal)},
                               {kVerticalKey, PWPlist::fromString(m_vertical)},
                               {kScaleKey, PWPlist::fromString(m_scale)},
                               {kScaleEnabledKey, PWPlist::fromBool(m_scaleEnabled)}};
}

CACalibrationSettings CACalibrationSettings::fromDictionary(const PWPlist &entry)
{
    if (!entry.isDictionary())
        return CACalibrationSettings();
    // A missing text reads as 0, as a missing field of the sheet stores "".
    const auto text = [&entry](const QString &key) {
        const PWPlist value = entry.value(key);
        return value.isNull() || storedAs(value) ? QString() : textOf(value);
    };
    CACalibrationSettings settings(text(kHorizontalKey), text(kVerticalKey), text(kScaleKey),
                                   flagOf(entry.value(kScaleEnabledKey)));
    const QString keys[] = {kHorizontalKey, kVerticalKey, kScaleKey};
    for (const ReadingRange &range : kReadingRanges)
        settings.m_storedAs[range.reading] = storedAs(entry.value(keys[range.reading])).value_or(QString());
    return settings;
}

std::map<QString, CACalibrationSettings> CACalibrationSettings::allSettings(const PWUserDefaults &defaults)
{
    std::map<QString, CACalibrationSettings> all;
    const PWPlist stored = defaults.objectForKey(kDefaultsKey);
    if (!stored.isDictionary())
        return all;
    for (const auto &[printer, entry] : stored.toDictionary()) {
        if (entry.isDictionary())
            all.emplace(printer, fromDictionary(entry));
    }
    return all;
}

void CACalibrationSettings::setAllSettings(PWUserDefaults &defaults,
                                           const std::map<QString, CACalibrationSettings> &all)
{
    // What the working copy could not hold (entries that are no dictionaries, readings stored
    // in another form) stays as stored unless the user changed that printer's entry.
    const PWPlist stored = defaults.objectForKey(kDefaultsKey);
    PWPlist::Dictionary dictionary;
    if (stored.isDictionary()) {
        for (const auto &[printer, entry] : stored.toDictionary())
            if (!entry.isDictionary() || all.count(printer) > 0)
                dictionary.insert(printer, entry);
    }
    for (const auto &[printer, settings] : all) {
        const PWPlist before = dictionary.value(printer);
        if (!before.isDictionary() || !(fromDictionary(before) == settings))
            dictionary.insert(printer, PWPlist(settings.toDictionary()));
    }
    defaults.setObject(kDefaultsKey, PWPlist(dictionary));
    defaults.synchronize();
}

std::optional<CACalibrationSettings> CACalibrationSettings::storedForPrinter(const PWUserDefaults &defaults,
                                                                             const QString &printer)
{
    const PWPlist all = defaults.objectForKey(kDefaultsKey);
    const PWPlist entry = all.value(printer);
    // A job without a printer (a PDF) reads the entry kept under no name.
    const QString whose = printer.isEmpty() ? QStringLiteral("the printer calibration")
                                            : QStringLiteral("the calibration of the printer \"%1\"").arg(printer);
    QStringList problems;
    std::optional<CACalibrationSettings> settings;
    if (!all.isNull() && !all.isDictionary())
        problems.append(QStringLiteral("the printer calibrations are stored as %1, not as a dictionary")
                            .arg(PWUserDefaults::describe(all)));
    else if (!entry.isNull() && !entry.isDictionary())
        problems.append(QStringLiteral("it is stored as %1, not as a dictionary")
                            .arg(PWUserDefaults::describe(entry)));
    else if (entry.isDictionary()) {
        settings = fromDictionary(entry);
        problems = settings->problems();
    }
    for (const QString &problem : std::as_const(problems)) {
        const QString line = QStringLiteral("%1 in the settings was not applied: %2").arg(whose, problem);
        PWJobReport::note(PWJobReport::Kind::CalibrationNotApplied, line, line);
        // Each page of a job reads the entry again: the log names it once.
        static QMutex guard;
        static QSet<QString> logged;
        const QMutexLocker locked(&guard);
        if (!logged.contains(line)) {
            logged.insert(line);
            qCWarning(lcPrinting).noquote() << line;
        }
    }
    return settings;
}

std::optional<CACalibrationSettings> CACalibrationSettings::storedForPrinter(const QString &printer)
{
    return storedForPrinter(PWUserDefaults::standardUserDefaults(), printer);
}

void CACalibrationSettings::storeForPrinter(PWUserDefaults &defaults, const QString &printer,
                                            const CACalibrationSettings &settings)
{
    const PWPlist stored = defaults.objectForKey(kDefaultsKey);
    PWPlist::Dictionary all = stored.isDictionary() ? stored.toDictionary() : PWPlist::Dictionary();
    all.insert(printer, PWPlist(settings.toDictionary()));
    defaults.setObject(kDefaultsKey, PWPlist(all));
    defaults.synchronize();
}

QPointF CACalibrationSettings::pageTranslation(int columns, int rows) const
{
    // The readings are taken on paper whose y grows upward; pages here grow downward.
    const double dx = columns > 1 ? double(horizontal()) * kPointsPerMillimetre : 0.0;
    const double dy = rows > 1 ? -double(vertical()) * kPointsPerMillimetre : 0.0;
    return QPointF(std::isfinite(dx) ? dx : 0.0, std::isfinite(dy) ? dy : 0.0);
}

std::optional<double> CACalibrationSettings::verticalScaleFactor(int rows, double rowPitch, double itemHeight) const
{
    if (!m_scaleEnabled || rows <= 2 || !checked(Scale))
        return std::nullopt;
    const double span = (rows - 1) * rowPitch - itemHeight;
    if (!std::isfinite(span) || span <= 0.0)
        return std::nullopt;
    const double difference = (double(scale()) - double(vertical())) * 72.0 / 25.4;
    const double factor = 1.0 - difference / span;
    if (!std::isfinite(factor) || factor <= 0.0)
        return std::nullopt;
    return factor;
}
