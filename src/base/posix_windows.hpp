#pragma once
// Sous Windows (MinGW), les appels POSIX du projet sur des chemins larges : un fs::path y est en
// UTF-16, et la bibliothèque C n'ouvre en « char » que dans la page de code du système. Ces
// surcharges gardent une seule écriture des fichiers pour les deux systèmes. Toujours en binaire :
// le mode texte changerait chaque "\n" en "\r\n" et fausserait tailles et positions.
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>

#ifndef O_CLOEXEC
#define O_CLOEXEC O_NOINHERIT
#endif
#ifndef O_DIRECTORY
#define O_DIRECTORY 0
#endif
#ifndef EDQUOT
#define EDQUOT 122
#endif
#ifndef ESRCH
#define ESRCH 3
#endif

inline int open(const wchar_t* chemin, int drapeaux, int mode = 0) {
    return ::_wopen(chemin, drapeaux | O_BINARY, mode & (_S_IREAD | _S_IWRITE));
}
inline int unlink(const wchar_t* chemin) {
    return ::_wunlink(chemin);
}
inline int mkdir(const wchar_t* chemin, int) {
    return ::_wmkdir(chemin);
}
// Les droits POSIX n'existent pas : le dossier du profil de l'utilisateur est déjà à lui seul.
inline int chmod(const wchar_t*, int) {
    return 0;
}
inline int fchmod(int, int) {
    return 0;
}
inline int fsync(int fd) {
    return ::_commit(fd);
}
inline int stat(const wchar_t* chemin, struct stat* etat) {
    struct _stat64 large {};
    if (::_wstat64(chemin, &large) != 0) return -1;
    *etat = {};
    etat->st_mode = large.st_mode;
    etat->st_size = static_cast<decltype(etat->st_size)>(large.st_size);
    etat->st_mtime = static_cast<decltype(etat->st_mtime)>(large.st_mtime);
    return 0;
}
// Lecture à une position sans bouger celle du descripteur ; celui-ci n'est lu que par un seul
// fil à la fois dans le programme, la position est donc remise après lecture.
inline long long pread(int fd, void* tampon, std::size_t n, long long position) {
    const long long avant = ::_lseeki64(fd, 0, SEEK_CUR);
    if (avant < 0 || ::_lseeki64(fd, position, SEEK_SET) < 0) return -1;
    const int lus = ::_read(fd, tampon, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
    const int erreur = errno;
    ::_lseeki64(fd, avant, SEEK_SET);
    errno = erreur;
    return lus;
}
// rename de la bibliothèque C refuse une cible existante : le remplacement atomique est
// MoveFileEx, écrit jusqu'au disque avant de rendre la main.
inline int rename(const wchar_t* ancien, const wchar_t* nouveau) {
    if (::MoveFileExW(ancien, nouveau, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    switch (::GetLastError()) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            errno = EACCES;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            errno = ENOSPC;
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            errno = ENOENT;
            break;
        default:
            errno = EIO;
    }
    return -1;
}
// kill(pid, 0) : le processus vit-il encore ? ESRCH s'il est fini.
inline int kill(int pid, int) {
    HANDLE processus = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!processus) {
        errno = ::GetLastError() == ERROR_ACCESS_DENIED ? EPERM : ESRCH;
        return -1;
    }
    const bool fini = ::WaitForSingleObject(processus, 0) == WAIT_OBJECT_0;
    ::CloseHandle(processus);
    if (fini) {
        errno = ESRCH;
        return -1;
    }
    return 0;
}

#endif  // _WIN32
