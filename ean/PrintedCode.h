#pragma once

#include <QString>

namespace ean {

// The EAN/UPC forms whose numbers people copy from a printed symbol.
enum class PrintedForm { Ean13, Jan13, Isbn, UpcA, Ean8, UpcE };

struct PrintedCode {
    QString code;  // every digit, the check digit last; empty when refused
    QString error; // what is wrong and where, in plain words
    bool ok() const { return error.isEmpty(); }
    // The code without its check digit, as the window's form is typed.
    QString withoutCheck() const { return code.chopped(1); }
};

// The digits of a number as printed: spaces and hyphens between digits left
// out, an ISBN-10's X kept last where `isbnX` allows it (after nine digits).
// `bad` is the index in the data of the first character that is none of
// these, -1 when there is none.
struct PrintedDigits {
    QString digits;
    bool xLast = false;
    qsizetype bad = -1;
};
PrintedDigits printedDigits(const QString& data, bool isbnX = false);

// The data as a user copies it from a label or a book: with or without the
// check digit (which must then be the right one), with spaces or hyphens
// between digits, an ISBN also as its ten-digit form (X for a check of 10),
// which becomes its 978 EAN. A UPC-E takes 6 digits (number system 0), or 7
// with the number system, or 8 with the check digit.
PrintedCode printedCode(PrintedForm form, const QString& data);

} // namespace ean
