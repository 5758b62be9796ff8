#include "app/inspector/CADesignLog.h"

Q_LOGGING_CATEGORY(lcDesign, "pw.app.design")
