#pragma once

#include "formats/FileName.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace output {

struct SaveResult {
    bool saved = false;
    QString error; // why not, in words for the user
    // Nothing was written because a file was already there and SaveOptions
    // asked to keep it; `error` is empty then.
    bool existed = false;
};

// A file as the file system knows it, whatever name it is reached by: two
// names that the file system folds together (case, a link to a folder) give
// the same id.
struct FileId {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId&) const = default;
};

// The id of what is at the path (a link itself, not what it points to), if anything.
std::optional<FileId> fileIdAt(const QString& path);

struct SaveOptions {
    // Keep an existing file instead of replacing it; the check and the placing
    // are one step, so two writers cannot both think the name free.
    bool keepExisting = false;
    // Create the target's missing folders first.
    bool makeFolders = false;
};

// A file written in full under a hidden name in its target's folder, not yet
// in place: a batch writes on its workers and puts files in place in line
// order. Removed when dropped uncommitted, so a cancel leaves nothing behind.
class StagedFile {
  public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool ok() const { return m_error.isEmpty() && !m_temp.isEmpty(); }
    const QString& error() const { return m_error; }
    // The file's id, which it keeps when it is put in place.
    FileId id() const { return m_id; }
    // Puts the file in place; at most once.
    SaveResult commit();

  private:
    friend StagedFile stageBytes(const QByteArray& bytes, const QString& path, const SaveOptions& options);
    void discard();

    QByteArray m_temp;
    QByteArray m_target;
    QString m_error;
    FileId m_id;
    bool m_keepExisting = false;
};

// Writes the bytes beside the target and flushes them to the disk; a short
// write (a full disk, a size limit) is an error and leaves nothing behind.
StagedFile stageBytes(const QByteArray& bytes, const QString& path, const SaveOptions& options = {});

// Writes the bytes through a temporary file in the same folder that replaces the
// target only once complete: a failed save leaves any old file untouched. A
// symbolic link at the path is replaced by the file, never followed, so nothing
// outside that folder is written.
SaveResult saveBytes(const QByteArray& bytes, const QString& path, const SaveOptions& options = {});

// An uncompressed Windows bitmap, saved as saveBytes saves.
SaveResult saveBitmap(const QImage& image, const QString& path);

} // namespace output
