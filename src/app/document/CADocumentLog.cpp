#include "app/document/CADocumentLog.h"

Q_LOGGING_CATEGORY(lcDocument, "pw.app.document")
