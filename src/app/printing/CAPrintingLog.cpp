#include "CAPrintingLog.h"

Q_LOGGING_CATEGORY(lcPrinting, "pw.app.printing")
