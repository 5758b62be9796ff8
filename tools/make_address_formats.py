#!/usr/bin/env python3
"""Writes the address-format resources from the compact tables below.

- resources/bundle/AddressFormat.xml: country code -> {"CountryName", and "Street", "City",
  "State", "ZIP", "Country" entries with "Row", "Column", "Label" and, where the country puts
  a mark after a field, "Phonetic Delimiter"}; one entry for every code of Countries.xml, whose
  first name becomes "CountryName".
- resources/bundle/TemplateFormat.xml: the address templates, in menu order; a string element
  stands for a separator line in the template menu.
- resources/bundle/en.lproj/Localizable.strings: every label key the formats and the text
  categories use is appended when missing (the file is never rewritten, other keys stay).

The layouts follow the public postal addressing conventions of each country for a letter sent
there: which line carries the postcode, whether it comes before or after the town, where the
state, province or county goes, and the punctuation between them. Every country gets all five
fields: a field a country does not use simply stays empty, and empty fields are not shown.

Run from the project root: python3 tools/make_address_formats.py
"""
import plistlib
import re
import sys
from pathlib import Path
from xml.sax.saxutils import escape

ROOT = Path(__file__).resolve().parent.parent
BUNDLE = ROOT / "resources" / "bundle"

# Layouts: one string per row, fields in column order. S street, C city or town, St state,
# province, county or region, Z postcode, N country. A field followed directly by other
# characters has them as its delimiter, "_" standing for a blank ("C," puts a comma after the
# city when a later field of its row has text; "C_-" a blank and a dash).
LAYOUTS = {
    "US": ["S", "C, St Z", "N"],        # 1600 PENNSYLVANIA AVE NW / WASHINGTON, DC 20500
    "CA": ["S", "C St Z", "N"],         # OTTAWA ON  K1A 0B1
    "AU": ["S", "C St Z", "N"],         # SYDNEY NSW 2000
    "UK": ["S", "C", "St", "Z", "N"],   # post town, county, postcode, each on its own line
    "ZC": ["S", "Z C", "St", "N"],      # 10117 Berlin; most of Europe, Africa, Latin America
    "ZCS": ["S", "Z C St", "N"],        # 00144 ROMA RM
    "ZC,S": ["S", "Z C, St", "N"],      # 06700 CIUDAD DE MEXICO, CDMX
    "CZ": ["S", "C Z", "St", "N"],      # SINGAPORE 123456; NEW DELHI 110001 / DELHI
    "C,Z": ["S", "C, Z", "St", "N"],    # RIGA, LV-1010
    "BR": ["S", "C_- St", "Z", "N"],    # SAO PAULO - SP / 01310-100
    "EA": ["Z", "St C", "S", "N"],      # postcode first, then from the large to the small
    "HU": ["C St", "S", "Z", "N"],      # Budapest / street / 1052
    "RU": ["S", "C", "St", "Z", "N"],   # street, town, region, postcode
}

# Countries by layout; every code of Countries.xml not listed takes DEFAULT_LAYOUT.
DEFAULT_LAYOUT = "ZC"
COUNTRY_LAYOUTS = {
    "US": "us as gu mp pr um vi fm mh pw",
    "CA": "ca",
    "AU": "au",
    "UK": "uk gg je im ie fk gs sh io pn tc vg ky ms ai bm gi za ng gh ke ug tz zm zw mw bw "
          "ls sz na jm tt bb bs bz gy lc vc gd dm ag kn mt",
    "ZCS": "it",
    "ZC,S": "mx",
    "CZ": "sg in il nz pk lk bd np th id ph my vn kh la mm bt mv sa ae qa om bh jo lb eg "
          "hk mo tl fj pg sb vu ws to ki nr tv nu ck",
    "C,Z": "lv",
    "BR": "br",
    "EA": "jp cn kr tw kp mn",
    "HU": "hu",
    "RU": "ru by ua kz kg tj tm uz md am az ge",
}

# Label keys of the state and postcode fields where the country names them its own way.
STATE_LABELS = {
    "StateLabel": "us as gu mp pr um vi fm mh pw au br mx in my ng ve",
    "ProvinceLabel": "ca it es nl ar za cn kr ph th id pk cu do ec pe bo pa cr",
    "CountyLabel": "uk gg je im ie",
    "PrefectureLabel": "jp",
}
DEFAULT_STATE_LABEL = "RegionLabel"
ZIP_LABELS = {
    "ZIPLabel": "us as gu mp pr um vi fm mh pw",
    "PostcodeLabel": "uk gg je im ie au nz za",
}
DEFAULT_ZIP_LABEL = "PostalCodeLabel"
CITY_LABELS = {
    "TownLabel": "uk gg je im ie",
}
DEFAULT_CITY_LABEL = "CityLabel"

FIELDS = {"S": ("Street", "StreetLabel"), "C": ("City", None), "St": ("State", None),
          "Z": ("ZIP", None), "N": ("Country", "CountryLabel")}

# Templates: (name, rows); a row is a list of fields "Key string[:option=value,...]". Options:
# Mode (0 hides the field until the user shows it), Text (literal), Linear (the "Address" part
# on one row), Delim (delimiter after the field). None is a menu separator. Labels are the
# categories' own label keys.
TEMPLATES = [
    ("Name+Company", [["First Name", "Last Name"], ["Company"], ["Address"]]),
    ("Name", [["First Name", "Last Name"], ["Address"]]),
    ("Company", [["Company"], ["Address"]]),
    None,
    ("Company+Name", [["Company"], ["First Name", "Last Name"], ["Address"]]),
    ("Name+Title+Company", [["Prefix:Mode=0", "First Name", "Middle Name:Mode=0", "Last Name", "Suffix:Mode=0"],
                            ["Job Title"], ["Company"], ["Department:Mode=0"], ["Address"]]),
    ("Name+Department+Company", [["First Name", "Last Name"], ["Department"], ["Company"], ["Address"]]),
    ("Last Name+First Name", [["Last Name", "First Name"], ["Company"], ["Address"]]),
    None,
    ("Name+Company, One-Line Address", [["First Name", "Last Name"], ["Company"], ["Address:Linear=1"]]),
    ("Name+Company+Phone", [["First Name", "Last Name"], ["Company"], ["Address"], ["Phone"], ["Email:Mode=0"]]),
]

CATEGORY_LABELS = {
    "Company": "CompanyLabel", "Job Title": "TitleLabel", "Street": "StreetLabel", "Phone": "PhoneLabel",
    "Fax": "FaxLabel", "Mobile": "MobileLabel", "Email": "EmailLabel", "Homepage": "URLLabel",
    "City": "CityLabel", "State": "StateLabel", "ZIP": "ZIPLabel", "Country": "CountryLabel",
    "First Name": "FirstNameLabel", "Last Name": "LastNameLabel", "Prefix": "PrefixLabel",
    "Department": "DepartmentLabel", "Suffix": "SuffixLabel", "Middle Name": "MiddleNameLabel",
}

# English texts of the label keys (and the other keys the catalogue looks up).
STRINGS = [
    ("NALabel", "N/A"), ("CompanyLabel", "Company"), ("TitleLabel", "Job Title"), ("StreetLabel", "Street"),
    ("PhoneLabel", "Phone"), ("FaxLabel", "Fax"), ("MobileLabel", "Mobile"), ("EmailLabel", "Email"),
    ("URLLabel", "Homepage"), ("CityLabel", "City"), ("StateLabel", "State"), ("ZIPLabel", "ZIP"),
    ("CountryLabel", "Country"), ("FirstNameLabel", "First Name"), ("LastNameLabel", "Last Name"),
    ("PrefixLabel", "Prefix"), ("DepartmentLabel", "Department"), ("SuffixLabel", "Suffix"),
    ("Custom1Label", "Custom 1"), ("Custom2Label", "Custom 2"), ("Custom3Label", "Custom 3"),
    ("Custom4Label", "Custom 4"), ("Custom5Label", "Custom 5"), ("Custom6Label", "Custom 6"),
    ("Custom7Label", "Custom 7"), ("Custom8Label", "Custom 8"), ("Custom9Label", "Custom 9"),
    ("CounterLabel", "Counter"), ("FileDataLabel", "File Data"), ("AnniversaryLabel", "Anniversary"),
    ("BirthdayLabel", "Birthday"), ("OtherDateLabel", "Other Date"), ("PagerLabel", "Pager"),
    ("Barcode", "Barcode"), ("NickNameLabel", "Nickname"), ("MiddleNameLabel", "Middle Name"),
    ("MaidenNameLabel", "Maiden Name"), ("MotherNameLabel", "Mother"), ("FatherNameLabel", "Father"),
    ("ParentNameLabel", "Parent"), ("SisterNameLabel", "Sister"), ("BrotherNameLabel", "Brother"),
    ("ChildNameLabel", "Child"), ("FriendNameLabel", "Friend"), ("SpouseNameLabel", "Spouse"),
    ("PartnerNameLabel", "Partner"), ("AssistantNameLabel", "Assistant"), ("ManagerNameLabel", "Manager"),
    ("OtherNameLabel", "Other Name"), ("IM_AIMLabel", "AIM"), ("IM_JabberLabel", "Jabber"),
    ("IM_MSNLabel", "MSN"), ("IM_ICQLabel", "ICQ"), ("IM_YahooLabel", "Yahoo"), ("NoteLabel", "Note"),
    ("TextLabel", "Text"), ("ProvinceLabel", "Province"), ("CountyLabel", "County"),
    ("RegionLabel", "Region"), ("PrefectureLabel", "Prefecture"), ("PostcodeLabel", "Postcode"),
    ("PostalCodeLabel", "Postal Code"), ("TownLabel", "Town"), ("State/Province", "State/Province"),
    ("ZIP/Postal Code", "ZIP/Postal Code"), ("Edit", "Edit"),
]

FIELD_PATTERN = re.compile(r"^(St|S|C|Z|N)(.*)$")


def table(groups):
    result = {}
    for value, codes in groups.items():
        for code in codes.split():
            if code in result:
                sys.exit(f"{code} listed twice")
            result[code] = value
    return result


def country_format(code, name, layout):
    state = table(STATE_LABELS).get(code, DEFAULT_STATE_LABEL)
    zip_label = table(ZIP_LABELS).get(code, DEFAULT_ZIP_LABEL)
    city = table(CITY_LABELS).get(code, DEFAULT_CITY_LABEL)
    labels = {"City": city, "State": state, "ZIP": zip_label}
    entry = {"CountryName": name}
    for row, line in enumerate(LAYOUTS[layout]):
        for column, token in enumerate(line.split()):
            match = FIELD_PATTERN.match(token)
            if not match:
                sys.exit(f"bad field {token!r} in layout {layout}")
            key, label = FIELDS[match.group(1)]
            field = {"Row": row, "Column": column, "Label": label or labels[key]}
            if match.group(2):
                field["Phonetic Delimiter"] = match.group(2).replace("_", " ")
            if key in entry:
                sys.exit(f"{key} twice in layout {layout}")
            entry[key] = field
    if len(entry) != 6:
        sys.exit(f"layout {layout} lacks a field")
    return entry


def template_fields(rows):
    fields = []
    for row, line in enumerate(rows):
        for column, entry in enumerate(line):
            name, _, options = entry.partition(":")
            field = {"Name": name, "Row": row, "Column": column}
            if name in CATEGORY_LABELS:
                field["Label"] = CATEGORY_LABELS[name]
            for option in filter(None, options.split(",")):
                key, _, value = option.partition("=")
                if key == "Mode":
                    field["Mode"] = int(value)
                elif key == "Linear":
                    field["Linear"] = value == "1"
                elif key == "Text":
                    field["Text"] = value
                elif key == "Delim":
                    field["Phonetic Delimiter"] = value
                else:
                    sys.exit(f"unknown option {key}")
            fields.append(field)
    return fields


def append_strings(path):
    text = path.read_text(encoding="utf-8")
    present = plistlib.loads(text.encode("utf-8"))
    added = "".join(f"\t<key>{escape(key)}</key>\n\t<string>{escape(value)}</string>\n"
                    for key, value in STRINGS if key not in present)
    if added:
        end = text.rindex("</dict>")
        path.write_text(text[:end] + added + text[end:], encoding="utf-8")
    plistlib.loads(path.read_bytes())  # still a valid property list
    return added.count("<key>")


def main():
    countries = plistlib.loads((BUNDLE / "Countries.xml").read_bytes())
    layouts = table(COUNTRY_LAYOUTS)
    unknown = set(layouts) - set(countries)
    if unknown:
        sys.exit(f"codes not in Countries.xml: {sorted(unknown)}")
    formats = {code: country_format(code, names[0], layouts.get(code, DEFAULT_LAYOUT))
               for code, names in countries.items()}
    (BUNDLE / "AddressFormat.xml").write_bytes(plistlib.dumps(formats, fmt=plistlib.FMT_XML, sort_keys=True))

    templates = [{"Name": t[0], "Fields": template_fields(t[1])} if t else "-" for t in TEMPLATES]
    (BUNDLE / "TemplateFormat.xml").write_bytes(plistlib.dumps(templates, fmt=plistlib.FMT_XML, sort_keys=True))

    added = append_strings(BUNDLE / "en.lproj" / "Localizable.strings")
    print(f"{len(formats)} country formats, {sum(1 for t in TEMPLATES if t)} templates, {added} strings added")


if __name__ == "__main__":
    main()
