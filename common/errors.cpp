#include "common/errors.h"

#include <cerrno>

std::string FileErrorMessage(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return "Datei nicht gefunden";
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return "Pfad nicht gefunden";
    case EMFILE:
    case ENFILE:
        return "Zu viele geöffnete Dateien";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return "Dateizugriff verweigert";
    case EBADF:
        return "Ungültiges Dateihandle";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "Zu wenig Speicherplatz";
    default:
        return "E/A-Fehler " + std::to_string(errnoValue);
    }
}
