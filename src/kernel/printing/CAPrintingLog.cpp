#include "kernel/printing/CAPrintingLog.h"

Q_LOGGING_CATEGORY(lcPrinting, "pw.app.printing")
