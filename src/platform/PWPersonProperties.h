#pragma once

#include <QString>

// Names of the person type's properties, the labels of multi-value entries and the keys of an
// address entry. They follow the dialect of desktop address books (labels such as
// "_$!<Work>!$_" are written into vCards as X-ABLabel), so persons, caches and stored persons
// written by either side read the same. Property and key texts are part of stored data: never
// change one.

// Single-valued text properties.
inline const QString kPWFirstNameProperty = QStringLiteral("First");
inline const QString kPWLastNameProperty = QStringLiteral("Last");
inline const QString kPWMiddleNameProperty = QStringLiteral("Middle");
inline const QString kPWMaidenNameProperty = QStringLiteral("Maiden");
inline const QString kPWNicknameProperty = QStringLiteral("Nickname");
// The name prefix ("Dr."), not the job title.
inline const QString kPWTitleProperty = QStringLiteral("Title");
inline const QString kPWSuffixProperty = QStringLiteral("Suffix");
inline const QString kPWOrganizationProperty = QStringLiteral("Organization");
inline const QString kPWJobTitleProperty = QStringLiteral("JobTitle");
inline const QString kPWHomePageProperty = QStringLiteral("HomePage");
inline const QString kPWNoteProperty = QStringLiteral("Note");
// How the card shows, as a decimal number in text; a value whose low three bits are 1 marks a
// company card (vCard "X-ABShowAs:COMPANY").
inline const QString kPWPersonFlagsProperty = QStringLiteral("ABPersonFlags");
inline constexpr int kPWShowAsCompany = 1;
inline constexpr int kPWShowAsMask = 7;
// Single-valued date property.
inline const QString kPWBirthdayProperty = QStringLiteral("Birthday");

// Multi-valued properties: addresses hold dictionaries, dates hold dates, the rest texts.
inline const QString kPWAddressProperty = QStringLiteral("Address");
inline const QString kPWPhoneProperty = QStringLiteral("Phone");
inline const QString kPWEmailProperty = QStringLiteral("Email");
inline const QString kPWAIMInstantProperty = QStringLiteral("AIMInstant");
inline const QString kPWJabberInstantProperty = QStringLiteral("JabberInstant");
inline const QString kPWMSNInstantProperty = QStringLiteral("MSNInstant");
inline const QString kPWICQInstantProperty = QStringLiteral("ICQInstant");
inline const QString kPWYahooInstantProperty = QStringLiteral("YahooInstant");
inline const QString kPWURLsProperty = QStringLiteral("URLs");
inline const QString kPWOtherDatesProperty = QStringLiteral("ABDate");
inline const QString kPWRelatedNamesProperty = QStringLiteral("ABRelatedNames");

// Keys of an address entry's dictionary.
inline const QString kPWAddressStreetKey = QStringLiteral("Street");
inline const QString kPWAddressCityKey = QStringLiteral("City");
inline const QString kPWAddressStateKey = QStringLiteral("State");
inline const QString kPWAddressZIPKey = QStringLiteral("ZIP");
inline const QString kPWAddressCountryKey = QStringLiteral("Country");
inline const QString kPWAddressCountryCodeKey = QStringLiteral("CountryCode");

// Generic labels.
inline const QString kPWWorkLabel = QStringLiteral("_$!<Work>!$_");
inline const QString kPWHomeLabel = QStringLiteral("_$!<Home>!$_");
inline const QString kPWOtherLabel = QStringLiteral("_$!<Other>!$_");
inline const QString kPWAddressWorkLabel = kPWWorkLabel;
inline const QString kPWAddressHomeLabel = kPWHomeLabel;
inline const QString kPWEmailWorkLabel = kPWWorkLabel;
inline const QString kPWEmailHomeLabel = kPWHomeLabel;

// Telephone labels.
inline const QString kPWPhoneWorkLabel = kPWWorkLabel;
inline const QString kPWPhoneHomeLabel = kPWHomeLabel;
inline const QString kPWPhoneMainLabel = QStringLiteral("_$!<Main>!$_");
inline const QString kPWPhoneMobileLabel = QStringLiteral("_$!<Mobile>!$_");
inline const QString kPWPhonePagerLabel = QStringLiteral("_$!<Pager>!$_");
inline const QString kPWPhoneWorkFAXLabel = QStringLiteral("_$!<WorkFAX>!$_");
inline const QString kPWPhoneHomeFAXLabel = QStringLiteral("_$!<HomeFAX>!$_");

// Instant-messaging labels.
inline const QString kPWAIMWorkLabel = kPWWorkLabel;
inline const QString kPWAIMHomeLabel = kPWHomeLabel;
inline const QString kPWJabberWorkLabel = kPWWorkLabel;
inline const QString kPWJabberHomeLabel = kPWHomeLabel;
inline const QString kPWMSNWorkLabel = kPWWorkLabel;
inline const QString kPWMSNHomeLabel = kPWHomeLabel;
inline const QString kPWICQWorkLabel = kPWWorkLabel;
inline const QString kPWICQHomeLabel = kPWHomeLabel;
inline const QString kPWYahooWorkLabel = kPWWorkLabel;
inline const QString kPWYahooHomeLabel = kPWHomeLabel;

// URL, date and related-name labels.
inline const QString kPWHomePageLabel = QStringLiteral("_$!<HomePage>!$_");
inline const QString kPWAnniversaryLabel = QStringLiteral("_$!<Anniversary>!$_");
inline const QString kPWMotherLabel = QStringLiteral("_$!<Mother>!$_");
inline const QString kPWFatherLabel = QStringLiteral("_$!<Father>!$_");
inline const QString kPWParentLabel = QStringLiteral("_$!<Parent>!$_");
inline const QString kPWSisterLabel = QStringLiteral("_$!<Sister>!$_");
inline const QString kPWBrotherLabel = QStringLiteral("_$!<Brother>!$_");
inline const QString kPWChildLabel = QStringLiteral("_$!<Child>!$_");
inline const QString kPWFriendLabel = QStringLiteral("_$!<Friend>!$_");
inline const QString kPWSpouseLabel = QStringLiteral("_$!<Spouse>!$_");
inline const QString kPWPartnerLabel = QStringLiteral("_$!<Partner>!$_");
inline const QString kPWAssistantLabel = QStringLiteral("_$!<Assistant>!$_");
inline const QString kPWManagerLabel = QStringLiteral("_$!<Manager>!$_");
