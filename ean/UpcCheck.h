#pragma once

#include <QString>
#include <QtGlobal>

// The UPC-A modulo-10 check digit: odd positions (from the left, 1-based) weigh 3,
// even ones 1. Only the first 21 characters count; a non-digit counts as 0.
// Never fails: the caller checks for digits when it needs them.
qint16 GetUPCCheckNumber(const QString& code);

// The code followed by its check digit, as UPCCode draws it.
QString withUPCCheckDigit(const QString& code);
