// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/file_result.h"

#include <cerrno>
#include <cstring>
#include <string>

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
    case EBUSY: return "il file o il disco è occupato da un altro programma";
    case ETXTBSY: return "il file è in uso da un programma in esecuzione";
    case EXDEV: return "il file e la cartella sono su dischi diversi";
    case EAGAIN: return "la risorsa non è disponibile in questo momento, riprova";
    case EINTR: return "l'operazione è stata interrotta";
    case ENXIO:
    case ENODEV: return "il dispositivo non esiste o non è collegato";
    case EOVERFLOW: return "il file è troppo grande per questo sistema";
    case ESTALE: return "il file su rete non è più valido: riapri la cartella";
    case ENOLCK: return "nessun blocco disponibile sul file";
    case EOPNOTSUPP: return "operazione non supportata da questo file system";
    case EMLINK: return "troppi collegamenti al file";
    case EBADF: return "il file non è aperto correttamente";
    case EEXIST: return "esiste già un file con quel nome";
    case ENOTEMPTY: return "la cartella non è vuota";
    case ETIMEDOUT: return "tempo scaduto nell'accesso al file";
    case ENOTCONN:
    case EHOSTDOWN:
    case ENETDOWN:
    case ENETUNREACH: return "il disco di rete non è raggiungibile";
    case EFAULT: return "indirizzo di memoria non valido";
    case ENOSYS: return "funzione non disponibile su questo sistema";
    default:
        // The system's own words come last, after ours.
        return "errore di sistema n. " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

} // namespace zelvane
