#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

// The parts a line of a free-text address can play.
enum addressLines {
    nameLine = 1,
    companyLine = 2,
    streetLine = 3,
    streetZipLine = 4,
    cityLine = 5,
    stateLine = 6,
    zipLine = 7,
    countryLine = 8,
};

// The line of every part, -1 where no line plays it.
struct CAAddressLineRoles
{
    std::array<int, 8> lines{-1, -1, -1, -1, -1, -1, -1, -1};

    int operator[](addressLines role) const { return lines[role - 1]; }
    int &operator[](addressLines role) { return lines[role - 1]; }
    bool operator==(const CAAddressLineRoles &other) const = default;
};

// The data behind the address reader, read from the bundle's "AddressRecognition.xml": the
// shapes of the postal codes it knows, and for each layout the rows that say which line plays
// which part. Rows are checked when read, so that no table can name a line it was not given.
class CAAddressRecognitionTables
{
public:
    struct PostalCodes
    {
        QStringList usCodes;
        QStringList ukOneWord;
        QStringList ukOutward;
        QStringList ukInward;
        QStringList gerCodes;
        QStringList canFirst;
        QStringList canSecond;
        // Japanese codes, with or without the postal mark before them.
        QStringList jpCodes;
    };

    // The tables of the application bundle, read once. When they cannot be read the reason is
    // logged and kept in loadError, and the tables are empty: no postal code is recognised and
    // no line gets a part.
    static const CAAddressRecognitionTables &shared();
    // Tables from property-list bytes; nothing, with the reason in error, when the bytes are not
    // such tables.
    static std::optional<CAAddressRecognitionTables> fromData(const QByteArray &bytes, QString *error = nullptr);

    // Whether the word has the shape: D a decimal digit, L a letter, any other character itself.
    static bool matchesShape(QStringView word, QStringView shape);
    static bool matchesAnyShape(QStringView word, const QStringList &shapes);

    const QString &loadError() const { return m_loadError; }
    const PostalCodes &postalCodes() const { return m_postalCodes; }
    qsizetype rowCount() const { return m_rows.size(); }

    // Gives the lines their parts by the first row of the layout that fits the digit lines (the
    // ascending indexes of the lines holding a digit), the postal word index (-1 for none) and
    // the street flag. Parts the row does not give, or that would fall outside the lines, stay as
    // they were. False when no row fits.
    bool assignRoles(CAAddressLineRoles &roles, const QString &layout, int lineCount, const QList<int> &digitLines,
                     int postalWordIndex, bool streetFlag) const;

private:
    // c + l * L + d[0] * D0 + d[1] * D1 + d[2] * D2
    struct Sum
    {
        int constant = 0;
        int l = 0;
        std::array<int, 3> d{};
        int value(int lineCount, const std::array<int, 3> &digitLines) const;
    };
    struct Condition
    {
        enum Op { Greater, GreaterOrEqual, Less, LessOrEqual, Equal, NotEqual };
        Sum left;
        Op op = Equal;
        Sum right;
    };
    struct Rule
    {
        addressLines role = nameLine;
        Sum line;
        QList<Condition> when;
    };
    enum class Match { Any, Yes, No };
    struct Row
    {
        QStringList layouts;
        // 1 to 3, or 0 for none or more than three.
        int digitLines = 0;
        Match postalCode = Match::Any;
        Match street = Match::Any;
        QList<Rule> rules;
    };

    static std::optional<Sum> parseSum(QString text, int digitLines, QString *error);
    static std::optional<Condition> parseCondition(const QString &text, int digitLines, QString *error);
    static std::optional<Rule> parseRule(const QString &text, int digitLines, QString *error);

    PostalCodes m_postalCodes;
    QList<Row> m_rows;
    QString m_loadError;
};
