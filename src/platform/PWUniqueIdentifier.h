#pragma once

#include <QString>

// Identifiers of persons and of multi-value entries: random (version 4) UUIDs in upper case
// without braces, the form the address book files keep. They only need to be unique, not secret,
// so each thread draws them from its own generator seeded once from the system's random source;
// asking the system per identifier made a large import spend most of its time there.
QString PWNewUniqueIdentifier();
