#pragma once

#include <QByteArray>
#include <QString>

namespace output {

// A file written in full beside its target under a hidden temporary name, so
// that the target only ever appears complete.
struct StagedFile {
    QString tempPath;
    QString error; // why nothing was staged
    bool ok() const { return error.isEmpty(); }
};

// Creates the target's folder if needed and writes the bytes; a short write
// (a full disk, a size limit) is an error, and leaves nothing behind.
StagedFile stageFile(const QByteArray& bytes, const QString& target);

enum class CommitStatus { Written, Exists, Failed };

struct CommitResult {
    CommitStatus status = CommitStatus::Failed;
    QString error;
};

// Puts the staged file in place at once. Without `replace` an existing target
// is left as it is (the check and the placing are one step, so two writers
// cannot both think the name free). The temporary file is gone afterwards.
CommitResult commitFile(const StagedFile& staged, const QString& target, bool replace);

} // namespace output
