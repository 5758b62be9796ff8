#include "app/contacts/CARecognitionLog.h"

Q_LOGGING_CATEGORY(lcRecognition, "pw.app.contacts.recognition")
