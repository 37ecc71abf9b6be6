#include "output/FileCommit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
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

} // namespace

StagedFile stageFile(const QByteArray& bytes, const QString& target)
{
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    // A batch writes thousands of files into a few folders: ask once per folder.
    thread_local QString madeFolder;
    if (folder != madeFolder) {
        if (!QDir().mkpath(folder))
            return {{}, QStringLiteral("cannot create the folder %1").arg(folder)};
        madeFolder = folder;
    }
    // Hidden, unique to this process and this call; created with the mode any
    // other program's new file gets (0666 less the umask).
    static std::atomic<quint64> counter{0};
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = QFile::encodeName(QStringLiteral("%1/.%2.%3-%4.part")
                                     .arg(folder, info.fileName())
                                     .arg(::getpid())
                                     .arg(counter.fetch_add(1)));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return {{}, systemError(errno)};
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
