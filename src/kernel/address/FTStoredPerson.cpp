#include "kernel/address/FTStoredPerson.h"

#include "kernel/address/FTAddressLog.h"
#include "kernel/address/FTPersonFields.h"

#include "platform/PWLog.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardMerge.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"
#include "platform/PWVCardWriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace {

const QString kPersonData = QStringLiteral("personData");
const QString kAdditionalPersonData = QStringLiteral("additionalPersonData");

// Every value and the picture of the person in a new person of the given identity; its card
// goes with it unless told otherwise.
std::shared_ptr<PWPerson> copyOfPerson(const PWPerson &person, const QString &uniqueId, bool withCard = true)
{
    std::shared_ptr<PWPerson> copy = PWPerson::createWithUniqueId(uniqueId);
    for (const QString &property : person.propertiesWithValues()) {
        if (const std::optional<PWMultiValue> multi = person.multiValueForProperty(property))
            copy->setMultiValueForProperty(property, *multi);
        else
            copy->setValueForProperty(property, person.valueForProperty(property));
    }
    copy->setImageData(person.imageData());
    if (withCard)
        copy->setSourceCard(person.sourceCard());
    return copy;
}

// The vCard of a stored person. One that keeps the card it was read from is merged into it:
// the lines its edits did not change (other programs' lines, parameters, groups, its own
// picture) stay as written. A picture the card did not hold is stored as the blank one.
QByteArray storedCard(const PWPerson &person, const QByteArray &blank)
{
    if (const std::shared_ptr<const PWVCardOriginal> &card = person.sourceCard(); card && card->asRead) {
        QByteArray merged;
        if (person.imageData().isEmpty() || person.imageData() == card->asRead->imageData()) {
            merged = PWVCardMerge::merged(*card, person);
        } else {
            const std::shared_ptr<PWPerson> standIn = copyOfPerson(person, person.uniqueId(), false);
            standIn->setImageData(blank);
            merged = PWVCardMerge::merged(*card, *standIn);
        }
        if (!merged.isEmpty())
            return merged;
    }
    PWVCardWriter::Options options;
    if (!person.imageData().isEmpty())
        options.photo = blank;
    return PWVCardWriter::vCardRepresentation(person, options);
}

// The first person card of the bytes with its card as written; null with a reason.
std::shared_ptr<PWPerson> personWithCard(const QByteArray &bytes, PWVCardOriginal *original, QString *error)
{
    std::shared_ptr<PWPerson> person;
    const auto take = [&](PWVCard &card, PWVCardSource &source) {
        if (person || PWVCardReader::isGroupCard(card))
            return;
        QList<PWVCardReader::LineUse> uses;
        person = PWVCardReader::personFromCard(card, PWVCardReader::Options(), &uses);
        *original = PWVCardMerge::original(source, uses, nullptr);
    };
    if (!PWVCardParser::parseEachWithSource(bytes, take, error))
        return nullptr;
    if (!person && error)
        *error = QStringLiteral("no person card");
    return person;
}

} // namespace

const std::array<textCategory, 9> FTStoredPerson::additionalTcArray = {
    tcCustom1, tcCustom2, tcCustom3, tcCustom4, tcCustom5, tcCustom6, tcCustom7, tcCustom8, tcCustom9,
};

QByteArray FTStoredPerson::blankPictureData()
{
    static const QByteArray data = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setDotsPerMeterX(2835); // 72 per inch: one pixel is one point
        image.setDotsPerMeterY(2835);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "tiff");
        if (!writer.write(image)) {
            PWLog::message(lcAddress(), QStringLiteral("blank picture not written as TIFF (%1); PNG instead")
                                            .arg(writer.errorString()));
            bytes.clear();
            buffer.seek(0);
            image.save(&buffer, "PNG");
        }
        return bytes;
    }();
    return data;
}

PWPlist::Dictionary FTStoredPerson::convertToStoringData(const PWPerson &person)
{
    const QByteArray vCard = storedCard(person, blankPictureData());

    PWPlist::Array custom;
    qsizetype last = -1;
    for (size_t i = 0; i < additionalTcArray.size(); ++i) {
        const QString value = person.stringForProperty(getABPropertyKeyFromTextCategory(additionalTcArray.at(i)));
        custom.append(PWPlist::fromString(value));
        if (!value.isEmpty())
            last = qsizetype(i);
    }
    custom.resize(last + 1);
    return PWPlist::Dictionary{{kPersonData, PWPlist::fromData(vCard)}, {kAdditionalPersonData, PWPlist(custom)}};
}

std::shared_ptr<PWPerson> FTStoredPerson::initWithStoredData(const PWPlist::Dictionary &stored)
{
    const PWPlist data = stored.value(kPersonData);
    QString error;
    PWVCardOriginal original;
    std::shared_ptr<PWPerson> person = data.isData() ? personWithCard(data.toData(), &original, &error) : nullptr;
    if (!person) {
        PWLog::message(lcAddress(), QStringLiteral("stored person not read: %1")
                                        .arg(data.isData() ? error : QStringLiteral("no vCard")));
        return nullptr;
    }
    const PWPlist::Array custom = stored.value(kAdditionalPersonData).toArray();
    for (qsizetype i = 0; i < custom.size() && i < qsizetype(additionalTcArray.size()); ++i) {
        const PWPlist value = custom.at(i);
        if (!value.isString() || value.toString().isEmpty())
            continue;
        person->setValueForProperty(getABPropertyKeyFromTextCategory(additionalTcArray.at(size_t(i))), value);
    }
    // The person as read is what a later store tells its edits by.
    original.asRead = copyOfPerson(*person, person->uniqueId(), false);
    person->setSourceCard(std::make_shared<const PWVCardOriginal>(std::move(original)));
    return person;
}

std::shared_ptr<PWPerson> FTStoredPerson::copyWithZone(const PWPerson &person)
{
    // Every value is taken over as it is: a trip through a vCard would keep the same values (and
    // copy those it leaves out one by one), but a mail merge copies each person twice per label,
    // and writing and parsing the card was most of that.
    return copyOfPerson(person, QString());
}

std::shared_ptr<PWPerson> FTStoredPerson::copyWithIdentity(const PWPerson &person)
{
    return copyOfPerson(person, person.uniqueId());
}

bool FTStoredPerson::isEqualToPerson(const PWPerson &person, const PWPerson *other)
{
    if (!other)
        return false;
    if (other == &person)
        return true;
    for (const QString &property : {kPWFirstNameProperty, kPWLastNameProperty, kPWOrganizationProperty,
                                    QStringLiteral("ABDepartment")}) {
        const QString mine = person.stringForProperty(property);
        const QString theirs = other->stringForProperty(property);
        if (mine.isEmpty() && theirs.isEmpty())
            continue;
        if (mine != theirs)
            return false;
    }
    return true;
}
