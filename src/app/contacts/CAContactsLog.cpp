#include "app/contacts/CAContactsLog.h"

Q_LOGGING_CATEGORY(lcContacts, "pw.app.contacts")
