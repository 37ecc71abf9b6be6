#pragma once

#include <QString>

namespace output {

// The name with every character that Linux or Windows refuses in a file name
// (separators, wildcards, quotes, control characters) replaced by "_", so that a
// file lands in the chosen folder under exactly the name the user was shown.
QString safeFileName(const QString& name);

} // namespace output
