#include "kernel/address/FTStoredPerson.h"

#include "kernel/address/FTAddressLog.h"
#include "kernel/address/FTPersonFields.h"

#include "platform/PWLog.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"
#include "platform/PWVCardWriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace {

const QString kPersonData = QStringLiteral("personData");
const QString kAdditionalPersonData = QStringLiteral("additionalPersonData");

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
    PWVCardWriter::Options options;
    if (!person.imageData().isEmpty())
        options.photo = blankPictureData();
    const QByteArray vCard = PWVCardWriter::vCardRepresentation(person, options);

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
    std::shared_ptr<PWPerson> person = data.isData() ? PWVCardReader::personFromData(data.toData(), &error) : nullptr;
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
    return person;
}

std::shared_ptr<PWPerson> FTStoredPerson::copyWithZone(const PWPerson &person)
{
    // Every value is taken over as it is: a trip through a vCard would keep the same values (and
    // copy those it leaves out one by one), but a mail merge copies each person twice per label,
    // and writing and parsing the card was most of that.
    std::shared_ptr<PWPerson> copy = PWPerson::create();
    for (const QString &property : person.propertiesWithValues()) {
        if (const std::optional<PWMultiValue> multi = person.multiValueForProperty(property))
            copy->setMultiValueForProperty(property, *multi);
        else
            copy->setValueForProperty(property, person.valueForProperty(property));
    }
    copy->setImageData(person.imageData());
    return copy;
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
