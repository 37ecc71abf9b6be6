#pragma once

#include <QString>
#include <QtGlobal>

namespace output {

// The longest file name, in bytes of UTF-8, that Linux file systems accept.
inline constexpr qsizetype kMaxFileNameBytes = 255;

// The Unicode bidirectional controls (LRM, RLM, ALM, the embeddings, overrides and
// isolates). In a name or a question they reorder what follows them, so that
// "TSL_<RLO>ABC.exe.bmp" is listed as "TSL_pmb.exe.CBA".
bool isDirectionControl(QChar c);

// The text with every bidirectional control replaced by "_", for showing a
// user's input where its order matters.
QString withoutDirectionControls(const QString& text);

// The name with every character that Linux or Windows refuses in a file name
// (separators, wildcards, quotes, control characters) and every bidirectional
// control replaced by "_", so that a file lands in the chosen folder under
// exactly the name the user was shown, read in the same order.
QString safeFileName(const QString& name);

} // namespace output
