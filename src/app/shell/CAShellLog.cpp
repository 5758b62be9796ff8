#include "app/shell/CAShellLog.h"

Q_LOGGING_CATEGORY(lcShell, "pw.app.shell")
