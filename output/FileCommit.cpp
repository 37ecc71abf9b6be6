#include "output/FileCommit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace output {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// New files get the permissions any other program's would: 0666 less the umask.
mode_t fileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

} // namespace

StagedFile stageFile(const QByteArray& bytes, const QString& target)
{
    const QFileInfo info(target);
    if (!QDir().mkpath(info.absolutePath()))
        return {{}, QStringLiteral("cannot create the folder %1").arg(info.absolutePath())};
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                        QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return {{}, systemError(errno)};
    ::fchmod(fd, fileMode());
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    QString error;
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? systemError(errno)
                          : QStringLiteral("only %1 of %2 bytes could be written")
                                .arg(bytes.size() - left)
                                .arg(bytes.size());
            break;
        }
        data += n;
        left -= n;
    }
    if (::close(fd) != 0 && error.isEmpty())
        error = systemError(errno);
    if (!error.isEmpty()) {
        ::unlink(temp.constData());
        return {{}, error};
    }
    return {QFile::decodeName(temp), {}};
}

CommitResult commitFile(const StagedFile& staged, const QString& target, bool replace)
{
    if (!staged.ok())
        return {CommitStatus::Failed, staged.error};
    const QByteArray from = QFile::encodeName(staged.tempPath);
    const QByteArray to = QFile::encodeName(target);
    int rc = 0;
    if (replace) {
        rc = ::rename(from.constData(), to.constData());
    } else {
        rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (rc != 0 && errno == EINVAL) {
            // A file system without the no-replace rename: a hard link is as atomic.
            rc = ::link(from.constData(), to.constData());
            const int linkError = errno;
            ::unlink(from.constData());
            errno = linkError;
        }
    }
    if (rc == 0)
        return {CommitStatus::Written, {}};
    const int error = errno;
    ::unlink(from.constData());
    if (error == EEXIST)
        return {CommitStatus::Exists, {}};
    return {CommitStatus::Failed, systemError(error)};
}

} // namespace output
