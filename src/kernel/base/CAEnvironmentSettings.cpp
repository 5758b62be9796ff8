#include "kernel/base/CAEnvironment.h"

#include "kernel/base/CAEnvironmentInternal.h"
#include "kernel/base/FTUtilities.h"
#include "platform/PWBundle.h"
#include "platform/PWKeyedUnarchiver.h"
#include "platform/PWLog.h"
#include "platform/PWUserDefaults.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QSet>

#include <algorithm>
#include <limits>

QString ContactsEntourage;
QString ContactsEudora;
QString ContactsNowContacts;
QString ContactsExcel;
QString ContactsFileMaker;
QString ContactsVCFSource;
QString ContactsTextFileSource;

namespace {

PWUserDefaults &defaults()
{
    return PWUserDefaults::standardUserDefaults();
}

bool hasValue(const QString &key)
{
    return !defaults().objectForKey(key).isNull();
}

// A panel never shown or hidden yet is visible; a stored answer is read as a boolean.
bool visibility(const QString &key)
{
    return hasValue(key) ? defaults().boolForKey(key) : true;
}

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Until the address-format catalogue says otherwise, a country has a format when the
// "Countries" resource lists its code.
bool countryInResource(const QString &code)
{
    static const QSet<QString> codes = [] {
        QSet<QString> result;
        const QByteArray bytes =
            PWBundle::mainBundle().resourceData(QStringLiteral("Countries"), QStringLiteral("xml"));
        QString error;
        const std::optional<PWPlist> table = bytes.isEmpty() ? std::nullopt : PWPlist::parse(bytes, &error);
        if (!table || !table->isDictionary()) {
            PWLog::message(lcEnvironment(), QStringLiteral("Countries resource not readable: %1")
                                                .arg(error.isEmpty() ? QStringLiteral("missing or not a dictionary") : error));
            return result;
        }
        for (const QString &key : table->toDictionary().keys())
            result.insert(key);
        return result;
    }();
    return codes.contains(code);
}

// Platform text-encoding numbers. The Core Foundation encodings without a number of their own
// are numbered 0x80000000 plus their Core Foundation value; they are written unsigned.
constexpr quint32 kForeignEncoding = 0x80000000u;
constexpr quint32 kDefaultEncodings[] = {
    10,                         // Unicode (UTF-16)
    4,                          // UTF-8
    30,                         // Mac OS Roman
    12,                         // Windows Latin 1 (code page 1252)
    5,                          // ISO Latin 1
    kForeignEncoding | 0x0203u, // ISO Latin 3
    kForeignEncoding | 0x020Fu, // ISO Latin 9
    kForeignEncoding | 0x0001u, // Mac Japanese
    8,                          // DOS Japanese (Shift-JIS)
    kForeignEncoding | 0x0002u, // Mac Traditional Chinese
    kForeignEncoding | 0x0007u, // Mac Cyrillic
    11,                         // Windows Cyrillic (code page 1251)
    kForeignEncoding | 0x0A02u, // KOI8-R
};

QString vertical(const QString &text)
{
    // By code point, so that a character outside the basic plane is never cut in two.
    QStringList characters;
    for (const char32_t c : text.toUcs4())
        characters.append(QString::fromUcs4(&c, 1));
    return characters.join(QLatin1Char('\n'));
}

struct SourceNames
{
    const QString *source;
    const char *application;
    const char *cache;
};

const SourceNames kSourceNames[] = {
    {&ContactsEntourage, "Microsoft Entourage", "Entourage"},
    {&ContactsEudora, "Eudora", "Eudora"},
    {&ContactsNowContacts, "Now Contact - OS X", "NowContacts"},
    {&ContactsExcel, "Microsoft Excel", "Excel"},
    {&ContactsFileMaker, "FileMaker Pro", "FileMaker"},
    {&ContactsVCFSource, nullptr, "VCFSource"},
    {&ContactsTextFileSource, nullptr, "TextFileSource"},
};

const SourceNames *sourceNamed(const QString &source)
{
    if (source.isEmpty())
        return nullptr;
    for (const SourceNames &names : kSourceNames) {
        if (*names.source == source)
            return &names;
    }
    return nullptr;
}

} // namespace

const std::vector<std::pair<QString, PWPlist>> &CAEnvironment::applicationDefaults()
{
    static const std::vector<std::pair<QString, PWPlist>> table = {
        {QStringLiteral("FTSnap"), PWPlist::fromBool(true)},
        {QStringLiteral("FTChangeCountry"), PWPlist::fromBool(true)},
        {QStringLiteral("FTShowCountryField"), PWPlist::fromBool(true)},
        {QStringLiteral("FTStartingDocument"), PWPlist::fromInteger(0)},
        {QStringLiteral("FTConvertToUppercase"), PWPlist::fromBool(false)},
        {QStringLiteral("FTConvertToLinearAddress"), PWPlist::fromBool(true)},
        {QStringLiteral("FTCommaDelimitedAddress"), PWPlist::fromBool(true)},
        {QStringLiteral("FTVectorPrinting"), PWPlist::fromBool(true)},
        {QStringLiteral("FTSuppressCountryField"), PWPlist::fromBool(false)},
        {QStringLiteral("FTAddressAutoResize"), PWPlist::fromBool(true)},
    };
    return table;
}

void CAEnvironment::registerApplicationDefaults()
{
    PWPlist::Dictionary registered;
    for (const auto &[key, value] : applicationDefaults())
        registered.insert(key, value);
    defaults().registerDefaults(registered);
}

cardUnits CAEnvironment::measurementUnits()
{
    return getMeasurementUnits();
}

QString CAEnvironment::defaultCountry()
{
    const PWPlist stored = defaults().objectForKey(QStringLiteral("DefaultCountry"));
    if (stored.isString() && !stored.toString().isEmpty())
        return stored.toString();
    const QString chosen = chooseDefaultCountry(QLocale::system());
    // Only a missing choice is made for the user; one stored in a form that does not read stays
    // as it is until the user picks a country.
    if (stored.isNull())
        setDefaultCountry(chosen);
    else
        defaults().noteProblem(QStringLiteral("the default country in the settings is %1, not a country code; \"%2\" is used")
                                   .arg(PWUserDefaults::describe(stored), chosen));
    return chosen;
}

void CAEnvironment::setDefaultCountry(const QString &country)
{
    defaults().setString(QStringLiteral("DefaultCountry"), country);
}

QString CAEnvironment::chooseDefaultCountry(const QLocale &system)
{
    const QString fallback = QStringLiteral("us");
    if (system.territory() == QLocale::AnyTerritory)
        return fallback;
    QString code = QLocale::territoryToCode(system.territory()).toLower();
    if (code.isEmpty())
        return fallback;
    // The address formats know the United Kingdom by its old code.
    if (code == QLatin1String("gb"))
        code = QStringLiteral("uk");
    CountryFormatPredicate predicate;
    {
        std::lock_guard lock(CAEnvironmentInternal::hooks().mutex);
        predicate = CAEnvironmentInternal::hooks().countryFormat;
    }
    const bool hasFormat = predicate ? predicate(code) : countryInResource(code);
    return hasFormat ? code : fallback;
}

PWFont CAEnvironment::defaultFont()
{
    const QByteArray data = defaults().dataForKey(QStringLiteral("FTDefaultFont"));
    if (!data.isEmpty()) {
        QString error;
        if (std::optional<PWFont> font = PWKeyedUnarchiver::unarchiveFont(data, &error))
            return *font;
        PWLog::debug(lcEnvironment(), QStringLiteral("the stored default font could not be read: %1").arg(error));
    }
    QFont user = qGuiApp ? QFontDatabase::systemFont(QFontDatabase::GeneralFont) : QFont();
    user.setPointSizeF(10.0);
    return PWFont::fromQFont(user);
}

int CAEnvironment::openedDesignTab()
{
    const QString key = QStringLiteral("FTDesignTab");
    return hasValue(key) ? clampToInt(defaults().integerForKey(key)) : 1;
}

void CAEnvironment::setOpenedDesignTab(int tab)
{
    defaults().setObject(QStringLiteral("FTDesignTab"), PWPlist::fromInteger(tab));
}

int CAEnvironment::openedDesignPicturesPane()
{
    const QString key = QStringLiteral("FTDesignPane");
    if (!hasValue(key))
        return 0;
    const qint64 pane = defaults().integerForKey(key);
    return pane > 1 ? 0 : clampToInt(pane);
}

void CAEnvironment::setOpenedDesignPicturesPane(int pane)
{
    defaults().setObject(QStringLiteral("FTDesignPane"), PWPlist::fromInteger(pane));
}

float CAEnvironment::openedDesignHeight()
{
    const QString key = QStringLiteral("FTDesignPaneHeight");
    return hasValue(key) ? float(defaults().doubleForKey(key)) : 470.0f;
}

void CAEnvironment::setOpenedDesignHeight(float height)
{
    defaults().setObject(QStringLiteral("FTDesignPaneHeight"), PWPlist::fromReal(height));
}

bool CAEnvironment::colorPanelVisible()
{
    return visibility(QStringLiteral("FTColorPanelVisible"));
}

void CAEnvironment::setColorPanelVisible(bool visible)
{
    defaults().setBool(QStringLiteral("FTColorPanelVisible"), visible);
}

bool CAEnvironment::fontPanelVisible()
{
    return visibility(QStringLiteral("FTFontPanelVisible"));
}

void CAEnvironment::setFontPanelVisible(bool visible)
{
    defaults().setBool(QStringLiteral("FTFontPanelVisible"), visible);
}

bool CAEnvironment::addressWindowVisible()
{
    return visibility(QStringLiteral("FTAddressWindowVisible"));
}

void CAEnvironment::setAddressWindowVisible(bool visible)
{
    defaults().setBool(QStringLiteral("FTAddressWindowVisible"), visible);
}

bool CAEnvironment::propertiesWindowVisible()
{
    return visibility(QStringLiteral("FTPropertiesWindowVisible"));
}

void CAEnvironment::setPropertiesWindowVisible(bool visible)
{
    defaults().setBool(QStringLiteral("FTPropertiesWindowVisible"), visible);
}

bool CAEnvironment::designWindowVisible()
{
    return visibility(QStringLiteral("FTDesignWindowVisible"));
}

void CAEnvironment::setDesignWindowVisible(bool visible)
{
    defaults().setBool(QStringLiteral("FTDesignWindowVisible"), visible);
}

bool CAEnvironment::panelVisibilityRemembered()
{
    const QStringList keys = {QStringLiteral("FTColorPanelVisible"), QStringLiteral("FTFontPanelVisible"),
                              QStringLiteral("FTAddressWindowVisible"), QStringLiteral("FTPropertiesWindowVisible"),
                              QStringLiteral("FTDesignWindowVisible")};
    return std::any_of(keys.begin(), keys.end(), hasValue);
}

PWPlist::Array CAEnvironment::getEncodingList()
{
    const QString key = QStringLiteral("FTEncodingsKey");
    const PWPlist stored = defaults().objectForKey(key);
    // Anything but a list here cannot be offered; it is replaced like a missing one.
    if (stored.isArray())
        return stored.toArray();
    PWPlist::Array list;
    for (const quint32 encoding : kDefaultEncodings)
        list.append(PWPlist::fromString(QString::number(encoding)));
    defaults().setObject(key, PWPlist(list));
    return list;
}

std::optional<PWPlist::Dictionary> CAEnvironment::getCalibrationSettingsForPrinter(const QString &printer)
{
    const PWPlist entry = defaults().objectForKey(QStringLiteral("FTCalibration")).value(printer);
    if (!entry.isDictionary())
        return std::nullopt;
    return entry.toDictionary();
}

void CAEnvironment::setCalibrationSettingsForPrinter(const PWPlist::Dictionary &settings,
                                                     const QString &printer)
{
    const QString key = QStringLiteral("FTCalibration");
    const PWPlist stored = defaults().objectForKey(key);
    PWPlist::Dictionary all = stored.isDictionary() ? stored.toDictionary() : PWPlist::Dictionary();
    all.insert(printer, PWPlist(settings));
    defaults().setObject(key, PWPlist(all));
    defaults().synchronize();
}

QString CAEnvironment::defaultTemplate()
{
    return QStringLiteral("Name+Company");
}

QString CAEnvironment::bundleVersion()
{
    const PWPlist version = PWBundle::mainBundle().objectForInfoDictionaryKey(QStringLiteral("CFBundleVersion"));
    return version.isNumber() ? QString::number(version.toInteger()) : version.toString();
}

bool CAEnvironment::orderFirstLast()
{
    return true;
}

QString CAEnvironment::getToSeparatedString()
{
    static const QString text = vertical(PWLocalizedString(QStringLiteral("TO")));
    return text;
}

QString CAEnvironment::getFromSeparatedString()
{
    static const QString text = vertical(PWLocalizedString(QStringLiteral("FROM")));
    return text;
}

std::optional<QString> CAEnvironment::getApplicationNameFromDataSourceName(const QString &source)
{
    const SourceNames *names = sourceNamed(source);
    if (!names || !names->application)
        return std::nullopt;
    return QString::fromLatin1(names->application);
}

std::optional<QString> CAEnvironment::getCacheNameFromDataSourceName(const QString &source)
{
    const SourceNames *names = sourceNamed(source);
    if (!names)
        return std::nullopt;
    return QString::fromLatin1(names->cache);
}
