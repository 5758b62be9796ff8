#include "kernel/merge/CADocumentLog.h"

Q_LOGGING_CATEGORY(lcDocument, "pw.app.document")
