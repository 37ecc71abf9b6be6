#include "formats/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace output {

namespace {

QString systemError(int error)
{
    return qt_error_string(error);
}

// Made once per folder and thread: a batch writes thousands of files into a few folders.
QString makeFolders(const QString& folder)
{
    thread_local QString made;
    if (folder == made)
        return {};
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);
    made = folder;
    return {};
}

} // namespace

StagedFile::~StagedFile()
{
    discard();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_temp(std::exchange(other.m_temp, {})), m_target(std::move(other.m_target)),
      m_error(std::move(other.m_error)), m_id(other.m_id), m_keepExisting(other.m_keepExisting)
{
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept
{
    if (this != &other) {
        discard();
        m_temp = std::exchange(other.m_temp, {});
        m_target = std::move(other.m_target);
        m_error = std::move(other.m_error);
        m_id = other.m_id;
        m_keepExisting = other.m_keepExisting;
    }
    return *this;
}

void StagedFile::discard()
{
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
    m_temp.clear();
}

SaveResult StagedFile::commit()
{
    if (!ok())
        return {false, m_error.isEmpty() ? QStringLiteral("nothing was staged") : m_error};
    const QByteArray temp = std::exchange(m_temp, {});
    // rename() replaces the directory entry itself: a link there is replaced, not followed.
    int rc = 0;
    if (!m_keepExisting) {
        rc = ::rename(temp.constData(), m_target.constData());
    } else {
        rc = ::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, m_target.constData(), RENAME_NOREPLACE);
        if (rc != 0 && errno == EINVAL) {
            // A file system without the no-replace rename: a hard link is as atomic.
            rc = ::link(temp.constData(), m_target.constData());
            const int linkError = errno;
            ::unlink(temp.constData());
            errno = linkError;
        }
    }
    if (rc == 0)
        return {true, {}};
    const int error = errno;
    ::unlink(temp.constData());
    if (m_keepExisting && error == EEXIST)
        return {false, {}, true};
    return {false, systemError(error)};
}

StagedFile stageBytes(const QByteArray& bytes, const QString& path, const SaveOptions& options)
{
    StagedFile staged;
    staged.m_target = QFile::encodeName(path);
    staged.m_keepExisting = options.keepExisting;
    const auto fail = [&staged](QString error) {
        staged.discard();
        staged.m_error = std::move(error);
        return std::move(staged);
    };
    const QString folder = QFileInfo(path).path();
    if (options.makeFolders)
        if (QString error = makeFolders(folder); !error.isEmpty())
            return fail(error);

    struct stat old {};
    const bool replacing = !options.keepExisting && ::lstat(staged.m_target.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return fail(QStringLiteral("a folder of that name is in the way"));
    // A file the user made read-only is not silently replaced.
    if (replacing && S_ISREG(old.st_mode) && ::access(staged.m_target.constData(), W_OK) != 0)
        return fail(QStringLiteral("the existing file is read-only"));

    // A short name of its own: one derived from the target could pass the file
    // system's length limit when the target itself is just within it.
    const QByteArray dir = QFile::encodeName(folder);
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        staged.m_temp =
            dir + "/.tsl-save-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        // 0666 lets the umask decide, as for any new file the user creates.
        fd = ::open(staged.m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        staged.m_temp.clear(); // never created: nothing to remove
        return fail(systemError(error));
    }
    const auto failClosing = [&](QString error) {
        ::close(fd);
        return fail(std::move(error));
    };
    if (struct stat made{}; ::fstat(fd, &made) == 0)
        staged.m_id = {quint64(made.st_dev), quint64(made.st_ino)};
    else
        return failClosing(systemError(errno));
    // A replaced file keeps who may read it.
    if (replacing && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        return failClosing(systemError(errno));
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failClosing(systemError(errno));
        if (n == 0) // a full disk or a size limit can stop writes without a reason
            return failClosing(
                QStringLiteral("only %1 of %2 bytes could be written").arg(done).arg(bytes.size()));
        done += n;
    }
    // On the disk before it takes an old file's place, so that a crash leaves
    // either the old picture or the new one, never an empty file. Where no old
    // file can be replaced there is nothing to protect, and a batch of
    // thousands saves as many waits for the disk.
    if (!options.keepExisting && ::fsync(fd) != 0)
        return failClosing(systemError(errno));
    // Closing reports what a delayed write error would only tell here.
    if (::close(fd) != 0)
        return fail(systemError(errno));
    return staged;
}

std::optional<FileId> fileIdAt(const QString& path)
{
    struct stat there {};
    if (::lstat(QFile::encodeName(path).constData(), &there) != 0)
        return std::nullopt;
    return FileId{quint64(there.st_dev), quint64(there.st_ino)};
}

SaveResult saveBytes(const QByteArray& bytes, const QString& path, const SaveOptions& options)
{
    StagedFile staged = stageBytes(bytes, path, options);
    if (!staged.ok())
        return {false, staged.error()};
    return staged.commit();
}

SaveResult saveBitmap(const QImage& image, const QString& path)
{
    // Encoded in memory first: the bitmap writer does not notice every failed
    // write, so the bytes that reach the disk are counted by saveBytes instead.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image))
        return {false, writer.errorString()};
    return saveBytes(bytes, path);
}

} // namespace output
