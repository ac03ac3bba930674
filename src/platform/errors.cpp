#include "platform/errors.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace karvel {

KarvelError::KarvelError(int number, QString description, QString path)
    : number_(number), description_(std::move(description)), path_(std::move(path)),
      what_((QString::number(number_) + QStringLiteral(": ") + description_).toUtf8()) {}

QString errorDescription(int number, const QString& subject) {
    switch (number) {
    case ErrBadFileName:
        return QStringLiteral("Nom ou numéro de fichier incorrect");
    case ErrFileNotFound:
        return QStringLiteral("Fichier introuvable");
    case ErrDeviceIo:
        return QStringLiteral("Erreur d'entrée/sortie sur le périphérique");
    case ErrFileExists:
        return QStringLiteral("Ce fichier existe déjà");
    case ErrDiskFull:
        return QStringLiteral("Disque plein");
    case ErrDeviceUnavailable:
        return QStringLiteral("Périphérique non disponible");
    case ErrPermissionDenied:
        return QStringLiteral("Permission refusée");
    case ErrDiskNotReady:
        return QStringLiteral("Disque non prêt");
    case ErrPathFileAccess:
        return QStringLiteral("Erreur d'accès au chemin ou au fichier");
    case ErrPathNotFound:
        return QStringLiteral("Chemin d'accès introuvable");
    case ErrNoCurrentRecord:
        return QStringLiteral("Aucun enregistrement en cours.");
    case ErrDuplicateKey:
        return QStringLiteral(
            "Les modifications n'ont pas abouti car elles auraient créé des doublons dans l'index ou la clé primaire.");
    case ErrDatabaseNotFound:
        return QStringLiteral("Fichier '%1' introuvable.").arg(subject);
    case ErrDiskOrNetwork:
        return QStringLiteral("Erreur de disque ou de réseau.");
    case ErrDatabaseDamaged:
        return QStringLiteral(
                   "Impossible d'ouvrir la base de données '%1'. Le fichier n'est pas une base de données reconnue ou il est endommagé.")
            .arg(subject);
    case ErrLockingUnavailable:
        return QStringLiteral("Impossible de verrouiller le fichier.");
    case ErrDatabaseInUse:
        return QStringLiteral(
                   "Impossible d'ouvrir le fichier '%1' : il est déjà ouvert en exclusivité par un autre utilisateur, ou l'autorisation de lire ses données manque.")
            .arg(subject);
    case ErrTableNotFound:
        return QStringLiteral("La table ou la requête '%1' est introuvable.").arg(subject);
    case ErrRecordDeleted:
        return QStringLiteral("L'enregistrement a été supprimé.");
    case ErrRecordLocked:
        return QStringLiteral("Mise à jour impossible ; actuellement verrouillé.");
    case ErrItemNotFound:
        return QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(subject);
    case ErrUnrecognisedFormat:
        return QStringLiteral("Format de base de données non reconnu '%1'.").arg(subject);
    case ErrObjectInvalid:
        return QStringLiteral("Objet incorrect ou qui n'est plus défini.");
    default:
        return subject.isEmpty()
                   ? QStringLiteral("Erreur du moteur de base de données.")
                   : QStringLiteral("Erreur du moteur de base de données : %1").arg(subject);
    }
}

KarvelError makeError(int number, const QString& path) {
    return KarvelError(number, errorDescription(number, path), path);
}

KarvelError errorFromErrno(int errnum, const QString& path) {
    switch (errnum) {
    case ENOENT:
        // A missing folder on the way is a path error, a missing last name a file error.
        return makeError(QFileInfo(path).absoluteDir().exists() ? ErrFileNotFound : ErrPathNotFound,
                         path);
    case ENOTDIR:
        return makeError(ErrPathNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return makeError(ErrPermissionDenied, path);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return makeError(ErrDiskFull, path);
    case EEXIST:
        return makeError(ErrFileExists, path);
    case ENAMETOOLONG:
        return makeError(ErrBadFileName, path);
    case EIO:
        return makeError(ErrDeviceIo, path);
    case ENODEV:
    case ENXIO:
        return makeError(ErrDeviceUnavailable, path);
    default:
        return makeError(ErrPathFileAccess, path);
    }
}

} // namespace karvel
