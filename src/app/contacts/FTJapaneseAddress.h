#pragma once

#include "app/contacts/FTPersonDictionary.h"

#include <QStringList>

#include <optional>

// Japanese addresses in free text, which the line tables of the other layouts misread: the postal
// code (NNN-NNNN, often after the postal mark) opens the address, the address runs from the
// prefecture down to the block number, and a name in Japanese script puts the family name first.
// A romanized address ("Taro Yamada, 1-1 Chiyoda, Chiyoda-ku, Tokyo 100-0001, Japan") runs the
// other way, from the name down to the prefecture, code and country, each part after a comma or
// on a line of its own.

// The reading of the text's lines when they hold a Japanese postal code; nothing otherwise.
std::optional<CAPersonDictionary> parseJapaneseAddress(const QStringList &lines);
