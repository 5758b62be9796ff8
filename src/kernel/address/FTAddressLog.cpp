#include "kernel/address/FTAddressLog.h"

Q_LOGGING_CATEGORY(lcAddress, "pw.kernel.address")
