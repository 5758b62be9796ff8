#pragma once

#include "kernel/foundation/FTComponentTypes.h"
#include "kernel/foundation/FTTypes.h"

// Names for the text categories, address types and field modes the addressing code uses. The
// enumerations themselves are the foundation's; every number, named or not, stays valid.

inline constexpr textCategory tcFullName = textCategory(1); // first and last name composed
inline constexpr textCategory tcCompany = textCategory(2);
inline constexpr textCategory tcJobTitle = textCategory(4);
inline constexpr textCategory tcStreet = textCategory(5);
inline constexpr textCategory tcCityLine = textCategory(6); // city, state, ZIP and country composed
inline constexpr textCategory tcPhone = textCategory(7);
inline constexpr textCategory tcFax = textCategory(8);
inline constexpr textCategory tcMobile = textCategory(9);
inline constexpr textCategory tcEmail = textCategory(10);
inline constexpr textCategory tcHomepage = textCategory(11);
inline constexpr textCategory tcCity = textCategory(13);
inline constexpr textCategory tcState = textCategory(14);
inline constexpr textCategory tcZIP = textCategory(15);
inline constexpr textCategory tcCountry = textCategory(16);
inline constexpr textCategory tcFirstName = textCategory(17);
inline constexpr textCategory tcLastName = textCategory(18);
inline constexpr textCategory tcPrefix = textCategory(19);
inline constexpr textCategory tcDepartment = textCategory(20);
inline constexpr textCategory tcCustom1 = textCategory(21);
inline constexpr textCategory tcCustom2 = textCategory(22);
inline constexpr textCategory tcCustom3 = textCategory(23);
inline constexpr textCategory tcSuffix = textCategory(24);
inline constexpr textCategory tcCustom4 = textCategory(27);
inline constexpr textCategory tcCustom9 = textCategory(32);
inline constexpr textCategory tcAnniversary = textCategory(100);
inline constexpr textCategory tcBirthday = textCategory(101);
inline constexpr textCategory tcOtherDate = textCategory(102);
inline constexpr textCategory tcPager = textCategory(103);
inline constexpr textCategory tcAddress = textCategory(104); // the country part of a format
inline constexpr textCategory tcNickName = textCategory(107);
inline constexpr textCategory tcMiddleName = textCategory(108);
inline constexpr textCategory tcMaidenName = textCategory(109);
inline constexpr textCategory tcMotherName = textCategory(110);
inline constexpr textCategory tcOtherName = textCategory(121);
inline constexpr textCategory tcAIM = textCategory(122);
inline constexpr textCategory tcJabber = textCategory(123);
inline constexpr textCategory tcMSN = textCategory(124);
inline constexpr textCategory tcICQ = textCategory(125);
inline constexpr textCategory tcYahoo = textCategory(126);
inline constexpr textCategory tcNote = textCategory(127);
inline constexpr textCategory tcSimpleText = textCategory(128);

// Which of a person's entries a field shows: the primary one, or the one labelled work, home,
// or neither.
inline constexpr addressType adMain = addressType(0);
inline constexpr addressType adWork = addressType(1);
inline constexpr addressType adHome = addressType(2);
inline constexpr addressType adOther = addressType(3);

// How an address field is shown: never, always (its grey label stands in while it is empty),
// only while it has text or is edited; a format leaf that gives no mode holds fmUnset.
inline constexpr fieldMode fmNever = fieldMode(0);
inline constexpr fieldMode fmAlways = fieldMode(1);
inline constexpr fieldMode fmWhenFilled = fieldMode(2);
inline constexpr fieldMode fmUnset = fieldMode(-1);
