#include "document/file_result.h"

#include <cerrno>
#include <cstring>

namespace zelvane {

std::string SystemReason(int error)
{
    switch (error) {
    case ENOENT: return "il file o la cartella non esiste";
    case EACCES:
    case EPERM: return "permesso negato";
    case EISDIR: return "il percorso indica una cartella, non un file";
    case ENOTDIR: return "una parte del percorso non è una cartella";
    case ENOSPC: return "spazio esaurito sul disco";
    case EDQUOT: return "quota del disco esaurita";
    case EFBIG: return "il file supera la dimensione massima consentita";
    case EROFS: return "il disco è di sola lettura";
    case ENAMETOOLONG: return "il nome del file è troppo lungo";
    case ELOOP: return "troppi collegamenti simbolici nel percorso";
    case EIO: return "errore di input/output";
    case EINVAL: return "il percorso non indica un file normale";
    case EMFILE:
    case ENFILE: return "troppi file aperti";
    case ENOMEM: return "memoria insufficiente";
    default: return std::strerror(error);
    }
}

} // namespace zelvane
