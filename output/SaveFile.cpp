#include "output/SaveFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace output {

namespace {

// A temporary file in the target's folder, removed unless it was renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const QByteArray& folder)
    {
        // A short name of its own: one derived from the target could pass the
        // file system's length limit when the target itself is just within it.
        for (int attempt = 0; attempt < 16; ++attempt) {
            m_name =
                folder + "/.tsl-save-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
            // 0666 lets the umask decide, as for any new file the user creates.
            m_fd = ::open(m_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            m_created = m_fd >= 0;
            if (m_created || errno != EEXIST)
                return;
        }
    }
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_created && !m_renamed)
            ::unlink(m_name.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return m_fd; }
    // Closes the file, reporting what a delayed write error would only tell here.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }
    // rename() replaces the directory entry itself: a link there is replaced, not followed.
    bool renameTo(const QByteArray& target)
    {
        m_renamed = ::rename(m_name.constData(), target.constData()) == 0;
        return m_renamed;
    }

  private:
    QByteArray m_name;
    int m_fd = -1;
    bool m_created = false;
    bool m_renamed = false;
};

SaveResult failure()
{
    return {false, qt_error_string(errno)};
}

} // namespace

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

SaveResult saveBytes(const QByteArray& bytes, const QString& path)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return {false, QStringLiteral("a folder of that name is in the way")};
    // A file the user made read-only is not silently replaced.
    if (exists && S_ISREG(old.st_mode) && ::access(target.constData(), W_OK) != 0)
        return {false, QStringLiteral("the existing file is read-only")};

    TemporaryFile file(QFile::encodeName(QFileInfo(path).path()));
    if (file.fd() < 0)
        return failure();
    // A replaced file keeps who may read it.
    if (exists && S_ISREG(old.st_mode) && ::fchmod(file.fd(), old.st_mode & 07777) != 0)
        return failure();
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(file.fd(), bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure();
        if (n == 0) // a full disk or a size limit can stop writes without a reason
            return {false,
                    QStringLiteral("only %1 of %2 bytes could be written").arg(done).arg(bytes.size())};
        done += n;
    }
    // On the disk before it takes the old file's place, so that a crash leaves
    // either the old picture or the new one, never an empty file.
    if (::fsync(file.fd()) != 0 || !file.close() || !file.renameTo(target))
        return failure();
    return {true, {}};
}

} // namespace output
