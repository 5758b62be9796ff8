#include "app/pictures/CCPicturesLog.h"

Q_LOGGING_CATEGORY(lcPictures, "pw.app.pictures")
