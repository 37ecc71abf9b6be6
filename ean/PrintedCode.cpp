#include "ean/PrintedCode.h"

#include <QStringList>

namespace ean {

namespace {

struct Shape {
    const char* title;
    int digits;           // without the check digit
    const char* prefixes; // the numbers the code must start with, "" for any
};

Shape shapeOf(PrintedForm form)
{
    switch (form) {
    case PrintedForm::Ean13: return {"EAN-13", 12, ""};
    case PrintedForm::Jan13: return {"JAN-13", 12, "45 49"};
    case PrintedForm::Isbn: return {"ISBN", 12, "978 979"};
    case PrintedForm::UpcA: return {"UPC-A", 11, ""};
    case PrintedForm::Ean8: return {"EAN-8", 7, ""};
    case PrintedForm::UpcE: return {"UPC-E", 7, "0 1"};
    }
    return {"EAN-13", 12, ""};
}

// The modulo-10 check digit of EAN and UPC: counted from the right, the digit
// next to the check digit weighs 3.
QChar gs1Check(const QString& digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int weight = (digits.size() - i) % 2 == 1 ? 3 : 1;
        sum += (digits.at(i).unicode() - u'0') * weight;
    }
    return QChar(u'0' + (10 - sum % 10) % 10);
}

// ISBN-10: weights 10 down to 2, the check digit making the sum a multiple of 11.
QChar isbn10Check(const QString& nine)
{
    int sum = 0;
    for (qsizetype i = 0; i < 9; ++i)
        sum += (nine.at(i).unicode() - u'0') * int(10 - i);
    const int check = (11 - sum % 11) % 11;
    return check == 10 ? QChar(u'X') : QChar(u'0' + check);
}

// The UPC-A number a UPC-E stands for (number system and 6 digits, no check):
// the zeros the short form leaves out go back where its last digit says.
QString upcEExpanded(const QString& seven)
{
    const QString ns = seven.left(1);
    const QString d = seven.mid(1);
    const QChar last = d.at(5);
    switch (last.unicode()) {
    case u'0':
    case u'1':
    case u'2': return ns + d.left(2) + last + QStringLiteral("0000") + d.mid(2, 3);
    case u'3': return ns + d.left(3) + QStringLiteral("00000") + d.mid(3, 2);
    case u'4': return ns + d.left(4) + QStringLiteral("00000") + d.mid(4, 1);
    default: return ns + d.left(5) + QStringLiteral("0000") + last;
    }
}

QChar checkFor(PrintedForm form, const QString& digits)
{
    return form == PrintedForm::UpcE ? gs1Check(upcEExpanded(digits)) : gs1Check(digits);
}

PrintedCode refused(const QString& why)
{
    return {{}, why};
}

} // namespace

PrintedDigits printedDigits(const QString& data, bool isbnX)
{
    PrintedDigits out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const QChar c = data.at(i);
        if (c.unicode() >= u'0' && c.unicode() <= u'9' && !out.xLast) {
            out.digits += c;
        } else if ((c == u' ' || c == u'-') && !out.digits.isEmpty() && i + 1 < data.size() && !out.xLast) {
            continue;
        } else if (isbnX && (c == u'X' || c == u'x') && out.digits.size() == 9 && !out.xLast) {
            out.xLast = true;
        } else {
            out.bad = i;
            return out;
        }
    }
    return out;
}

PrintedCode printedCode(PrintedForm form, const QString& data)
{
    const Shape shape = shapeOf(form);
    const QString title = QString::fromLatin1(shape.title);
    const PrintedDigits printed = printedDigits(data, form == PrintedForm::Isbn);
    if (printed.bad >= 0)
        return refused(QStringLiteral("%1 takes digits only: '%2' at position %3 is not one")
                           .arg(title, QString(data.at(printed.bad)))
                           .arg(printed.bad + 1));
    QString digits = printed.digits;
    const bool xLast = printed.xLast;
    if (xLast && digits.size() != 9)
        return refused(QStringLiteral("An ISBN-10 has its X only as the tenth character"));

    const int n = shape.digits;
    if (form == PrintedForm::Isbn && digits.size() + (xLast ? 1 : 0) == 10) {
        const QString nine = digits.left(9);
        const QChar check = isbn10Check(nine);
        const QChar given = xLast ? QChar(u'X') : digits.at(9);
        if (given != check)
            return refused(QStringLiteral("The ISBN-10 check digit is %1, not %2").arg(check).arg(given));
        const QString ean = QStringLiteral("978") + nine;
        return {ean + gs1Check(ean), {}};
    }
    if (form == PrintedForm::UpcE && digits.size() == 6)
        digits.prepend(QChar(u'0'));

    const bool withCheck = digits.size() == n + 1;
    if (digits.size() != n && !withCheck) {
        // The window's own words first, which its users know.
        QString enter = QStringLiteral("Enter %1 digit number for %2, or %3 with the check digit")
                            .arg(n)
                            .arg(title)
                            .arg(n + 1);
        if (form == PrintedForm::Isbn)
            enter += QStringLiteral(", or an ISBN-10");
        if (form == PrintedForm::UpcE)
            enter += QStringLiteral(", or 6 for number system 0");
        return refused(QStringLiteral("%1: %2 given").arg(enter).arg(digits.size()));
    }
    const QString body = digits.left(n);
    if (const QString prefixes = QString::fromLatin1(shape.prefixes); !prefixes.isEmpty()) {
        bool starts = false;
        for (const QString& p : prefixes.split(QChar(u' ')))
            starts = starts || body.startsWith(p);
        if (!starts)
            return refused(QStringLiteral("%1 starts with %2: this starts with %3")
                               .arg(title, prefixes.split(QChar(u' ')).join(QStringLiteral(" or ")),
                                    body.left(prefixes.indexOf(QChar(u' ')))));
    }
    const QChar check = checkFor(form, body);
    if (withCheck && digits.at(n) != check)
        return refused(QStringLiteral("The check digit is %1, not %2").arg(check).arg(digits.at(n)));
    return {body + check, {}};
}

} // namespace ean
