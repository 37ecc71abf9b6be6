#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string>

namespace ean {

// True for a text of "0" to "9" only (the empty text included).
bool isDigits(const QString& text);

// The complete code for 12 digits (EAN-13: even positions weigh 3) or 7 digits
// (EAN-8: odd positions weigh 3); nothing for any other input.
std::optional<QString> completeCode(const QString& input);

// "1" for a dark module: 95 for a 13-digit code, 67 for an 8-digit one; empty
// for anything else.
std::string eanModules(const QString& code);

// The 95 modules of a 12-digit UPC-A number (each 0 to 9): the EAN-13 row of
// 0 and the number, as the two symbologies agree. Empty if a value is not a digit.
std::string upcaModules(const std::array<int, 12>& digits);

// The EAN forms whose input is routed by length and prefix.
enum class EanForm { Ean8, Jan13, Isbn, Ean13 };

// True when the input is what the form draws a symbol for: 7 digits for EAN-8,
// 12 for the others, JAN-13 starting "45" or "49", ISBN "978" or "979".
bool eanComplete(EanForm form, const QString& input);

// What to type instead, shown while the input is not complete.
QString eanHint(EanForm form);

// The seven modules of a digit in set 0 (A), 1 (B) or 2 (C).
const char* eanPattern(int set, int digit);

} // namespace ean
