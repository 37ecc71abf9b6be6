#include "zint/Encode.h"

#include "ean/PrintedCode.h"

#include <zint.h>

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

namespace zintsym {

void SymbolDeleter::operator()(zint_symbol* symbol) const
{
    ZBarcode_Delete(symbol);
}

namespace {

bool named(const Kind& kind, const char* name)
{
    return std::strcmp(kind.name, name) == 0;
}

bool isDigits(QStringView text)
{
    return std::ranges::all_of(text, [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString title(const Kind& kind)
{
    return QString::fromUtf8(kind.title);
}

// The levels as people name them, with libzint's option_1 for each.
struct Level {
    const char* name;
    int value;
};

std::vector<Level> levelsOf(int id)
{
    switch (id) {
    case BARCODE_QRCODE:
    case BARCODE_HIBC_QR: return {{"L", 1}, {"M", 2}, {"Q", 3}, {"H", 4}};
    case BARCODE_MICROQR: return {{"L", 1}, {"M", 2}, {"Q", 3}};
    case BARCODE_AZTEC:
    case BARCODE_HIBC_AZTEC: return {{"10%", 1}, {"23%", 2}, {"36%", 3}, {"50%", 4}};
    case BARCODE_PDF417:
    case BARCODE_PDF417COMP:
    case BARCODE_HIBC_PDF:
        return {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}, {"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}};
    case BARCODE_HANXIN: return {{"L1", 1}, {"L2", 2}, {"L3", 3}, {"L4", 4}};
    case BARCODE_GRIDMATRIX: return {{"L1", 1}, {"L2", 2}, {"L3", 3}, {"L4", 4}, {"L5", 5}};
    case BARCODE_ULTRA: return {{"EC0", 1}, {"EC1", 2}, {"EC2", 3}, {"EC3", 4}, {"EC4", 5}, {"EC5", 6}};
    default: return {};
    }
}

// How many sizes option_2 offers, from 1.
int sizeCount(int id)
{
    switch (id) {
    case BARCODE_QRCODE:
    case BARCODE_HIBC_QR: return 40;
    case BARCODE_MICROQR: return 4;
    case BARCODE_DATAMATRIX:
    case BARCODE_HIBC_DM: return 30; // the ISO sizes, square then rectangular
    case BARCODE_AZTEC:
    case BARCODE_HIBC_AZTEC: return 36;
    case BARCODE_PDF417:
    case BARCODE_PDF417COMP:
    case BARCODE_HIBC_PDF: return 30;
    case BARCODE_MICROPDF417:
    case BARCODE_HIBC_MICPDF: return 4;
    case BARCODE_HANXIN: return 84;
    case BARCODE_GRIDMATRIX: return 13;
    case BARCODE_CODEONE: return 8; // A to H; S and T take digits only
    case BARCODE_RMQR: return 32;   // the rectangular sizes of the standard
    default: return 0;
    }
}

bool columnsSized(int id)
{
    return id == BARCODE_PDF417 || id == BARCODE_PDF417COMP || id == BARCODE_HIBC_PDF ||
           id == BARCODE_MICROPDF417 || id == BARCODE_HIBC_MICPDF;
}

// The size libzint makes at option_2 = n, as people name it.
QString sizeName(int id, int n)
{
    if (columnsSized(id))
        return n == 1 ? QStringLiteral("1 data column") : QStringLiteral("%1 data columns").arg(n);
    SymbolPtr symbol(ZBarcode_Create());
    symbol->symbology = id;
    symbol->option_2 = n;
    const char* data = id == BARCODE_HIBC_DM || id == BARCODE_HIBC_QR || id == BARCODE_HIBC_AZTEC ? "A" : "1";
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data), 1) >= ZINT_ERROR)
        return QStringLiteral("size %1").arg(n);
    const QString dims = QStringLiteral("%1x%2").arg(symbol->rows).arg(symbol->width);
    switch (id) {
    case BARCODE_QRCODE:
    case BARCODE_HIBC_QR:
    case BARCODE_HANXIN:
    case BARCODE_GRIDMATRIX: return QStringLiteral("%1 (version %2)").arg(dims).arg(n);
    case BARCODE_MICROQR: return QStringLiteral("%1 (M%2)").arg(dims).arg(n);
    case BARCODE_AZTEC:
    case BARCODE_HIBC_AZTEC:
        return n <= 4 ? QStringLiteral("%1 (compact, %2 layers)").arg(dims).arg(n)
                      : QStringLiteral("%1 (%2 layers)").arg(dims).arg(n - 4);
    case BARCODE_CODEONE: return QStringLiteral("%1 (version %2)").arg(dims).arg(QChar(u'A' + n - 1));
    default: return dims;
    }
}

// Positions are counted from 1, as people count characters.
QString at(qsizetype index)
{
    return QStringLiteral("at position %1").arg(index + 1);
}

QString charName(QChar c)
{
    if (c.isPrint() && c != u' ')
        return QStringLiteral("\"%1\"").arg(c);
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper();
}

// The first character of `data` that the set libzint names in its message
// ("digits only", "digits and \"-\" only", "digits, \"X\" and \"+\" only")
// leaves out; -1 when the set is not one of those or all are in it.
qsizetype firstOutside(const QString& data, const QString& message)
{
    static const QRegularExpression set(QStringLiteral("\\(([^()]*) only\\)"));
    const QRegularExpressionMatch m = set.match(message);
    if (!m.hasMatch())
        return -1;
    const QString allowed = m.captured(1);
    const bool digits = allowed.contains(QLatin1String("digits"));
    QString chars;
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    for (auto it = quoted.globalMatch(allowed); it.hasNext();) {
        const QString q = it.next().captured(1);
        if (q.size() == 3 && q[1] == u'-') {
            for (char16_t c = q[0].unicode(); c <= q[2].unicode(); ++c)
                chars += QChar(c);
        } else {
            chars += q;
        }
    }
    if (!digits && chars.isEmpty())
        return -1;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const QChar c = data[i];
        if (!(digits && c >= u'0' && c <= u'9') && !chars.contains(c))
            return i;
    }
    return -1;
}

// The first character outside what an ASCII-only symbology takes.
qsizetype firstNonAscii(const QString& data)
{
    for (qsizetype i = 0; i < data.size(); ++i)
        if (data[i].unicode() > 0x7E)
            return i;
    return -1;
}

// The GS1 data's brackets: every AI opened, closed, digits between.
QString gs1Brackets(const QString& data)
{
    if (!data.startsWith(u'['))
        return QStringLiteral("GS1 data begins with an AI in brackets, such as [01]");
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] == u']')
            return QStringLiteral("Unbalanced bracket %1: \"]\" closes no AI").arg(at(i));
        if (data[i] != u'[')
            continue;
        const qsizetype close = data.indexOf(u']', i + 1);
        const qsizetype open = data.indexOf(u'[', i + 1);
        if (close < 0 || (open >= 0 && open < close))
            return QStringLiteral("Unbalanced bracket %1: \"[\" is never closed").arg(at(i));
        const QStringView ai = QStringView(data).mid(i + 1, close - i - 1);
        if (ai.size() < 2 || ai.size() > 4 || !isDigits(ai))
            return QStringLiteral("The AI %1 is not 2 to 4 digits: [%2]").arg(at(i), ai.toString());
        i = close;
    }
    return {};
}

// An AI's data ends with it where the GS1 standard fixes its length; any
// other is closed by a separator (GS) when another AI follows, which is how
// a scanner returns the element string.
bool fixedLength(QStringView ai)
{
    static const char* const kFixed[] = {"00", "01", "02", "03", "04", "11", "12", "13", "14", "15", "16",
                                         "17", "18", "19", "20", "31", "32", "33", "34", "35", "36", "41"};
    return ai.size() >= 2 &&
           std::ranges::any_of(kFixed, [&](const char* f) { return ai.first(2) == QLatin1String(f); });
}

// "[01]…[10]AB" or "(01)…(10)AB" as a scanner returns the element string.
QString elementString(const QString& text, QChar open, QChar close)
{
    QString out;
    QString pendingAi;
    bool first = true;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] != open) {
            out += text[i++];
            continue;
        }
        const qsizetype end = text.indexOf(close, i + 1);
        if (end < 0)
            break;
        if (!first && !fixedLength(pendingAi))
            out += QChar(0x1D);
        first = false;
        pendingAi = text.mid(i + 1, end - i - 1);
        out += pendingAi;
        i = end + 1;
    }
    return out;
}

int gs1CheckDigit(QStringView digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int d = digits[digits.size() - 1 - i].unicode() - u'0';
        sum += (i % 2 == 0) ? 3 * d : d;
    }
    return (10 - sum % 10) % 10;
}

// Where an AI's data ends in a modulo-10 check digit (GTINs, SSCCs, GLNs and
// the keys built on them): its place in the AI's data, from 1. libzint only
// warns of a wrong one and encodes it, and a label with a wrong key is a
// label that fails at the scanner.
int checkDigitPlace(QStringView ai)
{
    static const QHash<QString, int> kPlaces = {
        {QStringLiteral("00"), 18},   {QStringLiteral("01"), 14},   {QStringLiteral("02"), 14},
        {QStringLiteral("253"), 13},  {QStringLiteral("255"), 13},  {QStringLiteral("402"), 17},
        {QStringLiteral("410"), 13},  {QStringLiteral("411"), 13},  {QStringLiteral("412"), 13},
        {QStringLiteral("413"), 13},  {QStringLiteral("414"), 13},  {QStringLiteral("415"), 13},
        {QStringLiteral("416"), 13},  {QStringLiteral("417"), 13},  {QStringLiteral("8003"), 14},
        {QStringLiteral("8006"), 14}, {QStringLiteral("8017"), 18}, {QStringLiteral("8018"), 18},
        {QStringLiteral("8026"), 14},
    };
    return kPlaces.value(ai.toString(), 0);
}

// The GS1 data's check digits, `data` standing at `offset` in what the user
// typed so the position points into that. Data too short or not digits is
// left to libzint, which says so.
QString gs1CheckDigits(const QString& data, qsizetype offset = 0)
{
    for (qsizetype i = data.indexOf(u'['); i >= 0; i = data.indexOf(u'[', i + 1)) {
        const qsizetype close = data.indexOf(u']', i + 1);
        if (close < 0)
            break;
        const QStringView ai = QStringView(data).mid(i + 1, close - i - 1);
        const int place = checkDigitPlace(ai);
        const qsizetype next = data.indexOf(u'[', close + 1);
        const QStringView value = QStringView(data).mid(close + 1, (next < 0 ? data.size() : next) - close - 1);
        if (place == 0 || value.size() < place || !isDigits(value.first(place)))
            continue;
        const int check = gs1CheckDigit(value.first(place - 1));
        const QChar given = value[place - 1];
        if (given.unicode() - u'0' != check)
            return QStringLiteral("The check digit of AI (%1) %2 is %3, not %4")
                .arg(ai.toString(), at(offset + close + place))
                .arg(check)
                .arg(given);
    }
    return {};
}

// The digits of a GTIN-14 or SSCC without its check digit, for the kinds
// that take the number alone and add the check digit; 0 for the rest.
int keyDigits(int id)
{
    switch (id) {
    case BARCODE_ITF14:
    case BARCODE_EAN14: return 13;
    case BARCODE_NVE18: return 17;
    default: return 0;
    }
}

struct Prepared {
    QString data;    // as libzint takes it
    QString primary; // a composite symbol's linear part
    QString error;
};

QString wrongLength(const Kind& kind, const QString& wanted, qsizetype got)
{
    return QStringLiteral("%1 takes %2; this is %3 digits").arg(title(kind), wanted).arg(got);
}

QString notDigit(const Kind& kind, const QString& text, qsizetype offset = 0)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text[i].isDigit() || text[i].unicode() > u'9')
            return QStringLiteral("Invalid character %1 %2: %3 takes digits only")
                .arg(charName(text[i]), at(offset + i), title(kind));
    return {};
}

// The EAN/UPC family as users type it: with or without the check digit, an
// ISBN with hyphens, the add-on after "+" or in its own box.
Prepared prepareRetail(const Kind& kind, const QString& data, const Options& options)
{
    QString main = data;
    QString addon = options.addon;
    const qsizetype plus = data.indexOf(u'+');
    if (plus >= 0) {
        main = data.left(plus);
        if (addon.isEmpty())
            addon = data.mid(plus + 1);
    }
    if (named(kind, "isbn")) {
        // Hyphens and spaces group an ISBN for people; they are not part of it.
        QString kept;
        for (qsizetype i = 0; i < main.size(); ++i) {
            const QChar c = main[i];
            if (c == u'-' || c == u' ')
                continue;
            if (!(c.isDigit() && c.unicode() <= u'9') && !(c.toUpper() == u'X' && i == main.size() - 1))
                return {{}, {}, QStringLiteral("Invalid character %1 %2: an ISBN takes digits, hyphens and a final X")
                                    .arg(charName(c), at(i))};
            kept += c.toUpper();
        }
        if (kept.size() != 10 && kept.size() != 13)
            return {{}, {}, QStringLiteral("An ISBN has 10 or 13 digits; this has %1").arg(kept.size())};
        if (kept.size() == 13 && !kept.startsWith(QLatin1String("978")) && !kept.startsWith(QLatin1String("979")))
            return {{}, {}, QStringLiteral("An ISBN-13 begins with 978 or 979")};
        main = kept;
    } else {
        if (const QString bad = notDigit(kind, main); !bad.isEmpty())
            return {{}, {}, bad};
        const qsizetype n = main.size();
        if (named(kind, "ean8")) {
            if (n != 7 && n != 8)
                return {{}, {}, wrongLength(kind, QStringLiteral("7 digits, or 8 with the check digit"), n)};
            if (n == 8) {
                // libzint takes eight digits as an EAN-13 to be padded: the check
                // digit is checked here and left for libzint to add again.
                const int check = gs1CheckDigit(QStringView(main).first(7));
                if (main[7].unicode() - u'0' != check)
                    return {{}, {}, QStringLiteral("The check digit is %1, not %2").arg(check).arg(main[7])};
                main.chop(1);
            }
        } else if (named(kind, "ean13") || named(kind, "jan13")) {
            if (n != 12 && n != 13)
                return {{}, {}, wrongLength(kind, QStringLiteral("12 digits, or 13 with the check digit"), n)};
            if (named(kind, "jan13") && !main.startsWith(QLatin1String("45")) && !main.startsWith(QLatin1String("49")))
                return {{}, {}, QStringLiteral("A JAN-13 begins with 45 or 49")};
        } else if (kind.id == BARCODE_UPCA) {
            if (n != 11 && n != 12)
                return {{}, {}, wrongLength(kind, QStringLiteral("11 digits, or 12 with the check digit"), n)};
        } else if (kind.id == BARCODE_UPCE) {
            if (n < 6 || n > 8)
                return {{}, {}, wrongLength(kind, QStringLiteral("6 or 7 digits, or 8 with the check digit"), n)};
            if (n >= 7 && main[0] != u'0' && main[0] != u'1')
                return {{}, {}, QStringLiteral("A UPC-E begins with number system 0 or 1")};
        }
    }
    if (!addon.isEmpty()) {
        if (!isDigits(addon) || (addon.size() != 2 && addon.size() != 5))
            return {{}, {}, QStringLiteral("An add-on is 2 or 5 digits, not \"%1\"").arg(addon)};
        main += u'+' + addon;
    }
    return {main, {}, {}};
}

Prepared prepare(const Kind& kind, const QString& data, const Options& options)
{
    if (data.isEmpty())
        return {{}, {}, QStringLiteral("There is no data to encode")};
    if (data.size() > kMaxEncodedLength)
        return {{}, {}, QStringLiteral("Too long for %1: the data is %2 characters, more than any symbol holds")
                            .arg(title(kind))
                            .arg(data.size())};
    if (kind.group == Group::Retail)
        return prepareRetail(kind, data, options);
    if (!options.addon.isEmpty() && !(kind.options & Addon))
        return {{}, {}, QStringLiteral("%1 takes no add-on").arg(title(kind))};
    if (const int digits = keyDigits(kind.id); digits > 0) {
        // The number as printed, spaced or hyphenated as the EAN family is.
        const ean::PrintedDigits printed = ean::printedDigits(data);
        if (printed.bad >= 0)
            return {{}, {}, QStringLiteral("Invalid character %1 %2: %3 takes digits only")
                                .arg(charName(data[printed.bad]), at(printed.bad), title(kind))};
        const QString& number = printed.digits;
        if (number.size() > digits + 1)
            return {{}, {}, wrongLength(kind, QStringLiteral("%1 digits, or %2 with the check digit")
                                                  .arg(digits)
                                                  .arg(digits + 1),
                                        number.size())};
        if (number.size() <= digits)
            return {number, {}, {}}; // libzint puts the zeros in front of a shorter one
        // With its check digit last: libzint adds the check digit itself, so
        // it is checked here and left off.
        const int check = gs1CheckDigit(QStringView(number).first(digits));
        if (number.back().unicode() - u'0' != check)
            return {{}, {}, QStringLiteral("The check digit is %1, not %2").arg(check).arg(number.back())};
        return {number.first(digits), {}, {}};
    }
    if (ZBarcode_Cap(kind.id, ZINT_CAP_COMPOSITE)) {
        const qsizetype bar = data.indexOf(u'|');
        if (bar < 0)
            return {{}, {}, QStringLiteral("A composite symbol takes the linear data, then |, then the composite "
                                           "part's AIs in brackets")};
        const QString composite = data.mid(bar + 1);
        if (const QString bad = gs1Brackets(composite); !bad.isEmpty())
            return {{}, {}, bad};
        // The linear part holds AIs too where it is GS1-128 or DataBar Expanded.
        const QString linear = data.left(bar);
        if (const QString bad = linear.startsWith(u'[') ? gs1CheckDigits(linear) : QString(); !bad.isEmpty())
            return {{}, {}, bad};
        if (const QString bad = gs1CheckDigits(composite, bar + 1); !bad.isEmpty())
            return {{}, {}, bad};
        return {composite, linear, {}};
    }
    if (kind.options & Gs1) {
        if (const QString bad = gs1Brackets(data); !bad.isEmpty())
            return {{}, {}, bad};
        if (const QString bad = gs1CheckDigits(data); !bad.isEmpty())
            return {{}, {}, bad};
    }
    return {data, {}, {}};
}

SymbolPtr configured(const Kind& kind, const Prepared& prepared, const Options& options)
{
    SymbolPtr symbol(ZBarcode_Create());
    if (!symbol)
        return symbol;
    symbol->symbology = kind.id;
    // One vector unit a module; the standard's quiet zones and, for EAN/UPC
    // and the rest that have one, its bar height.
    symbol->scale = 0.5f;
    symbol->output_options = BARCODE_QUIET_ZONES | COMPLIANT_HEIGHT;
    symbol->show_hrt = options.showText ? 1 : 0;
    if (kind.options & Gs1) {
        symbol->input_mode = GS1_MODE;
        // libzint finds GS1 data that breaks the standard's rules (a month
        // 13, a character outside an AI's set, an unknown country) and only
        // warns; such a label fails where its data is read, so it is refused.
        symbol->warn_level = WARN_FAIL_ALL;
    } else
        symbol->input_mode = UNICODE_MODE;
    // Text beyond Latin-1 gets the ECI of a character set that holds it, which
    // libzint picks itself.
    if (const int level = eccOption(kind, options.ecc); level > 0 || (level == 0 && !options.ecc.isEmpty()))
        symbol->option_1 = level;
    if (options.symbolSize > 0 && options.symbolSize <= sizeCount(kind.id))
        symbol->option_2 = options.symbolSize;
    if (!prepared.primary.isEmpty()) {
        const QByteArray primary = prepared.primary.toUtf8().left(sizeof symbol->primary - 1);
        std::memcpy(symbol->primary, primary.constData(), size_t(primary.size()));
        symbol->primary[primary.size()] = 0;
    }
    return symbol;
}

int encodeOnly(const Kind& kind, const Prepared& prepared, const Options& options)
{
    SymbolPtr symbol = configured(kind, prepared, options);
    if (!symbol)
        return ZINT_ERROR_MEMORY;
    const QByteArray bytes = prepared.data.toUtf8();
    return ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                           int(bytes.size()));
}

// The most characters of this data that the symbol at these options holds:
// its prefixes tried, since how much fits depends on the characters.
qsizetype mostThatFits(const Kind& kind, const Prepared& prepared, const Options& options)
{
    qsizetype lo = 0; // fits (an empty prefix is taken as fitting)
    qsizetype hi = prepared.data.size(); // does not fit
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        Prepared prefix = prepared;
        prefix.data.truncate(mid);
        if (prefix.data.back().isHighSurrogate())
            prefix.data.chop(1);
        if (encodeOnly(kind, prefix, options) < ZINT_ERROR)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

QString tooLong(const Kind& kind, const Prepared& prepared, const Options& options, const QString& message)
{
    QString where = title(kind);
    if (!options.ecc.isEmpty())
        where += QStringLiteral(" at level %1").arg(options.ecc);
    if (options.symbolSize > 0) {
        const QStringList sizes = symbolSizes(kind);
        if (options.symbolSize <= sizes.size())
            where += QStringLiteral(" at size %1").arg(sizes[options.symbolSize - 1]);
    }
    static const QRegularExpression maximum(QStringLiteral("(\\d+) (?:character|digit)s? maximum"));
    if (const QRegularExpressionMatch m = maximum.match(message); m.hasMatch())
        return QStringLiteral("Too long for %1: at most %2 characters").arg(where, m.captured(1));
    // GS1 data cut short is no longer GS1 data, and a composite's parts are
    // two: the limit is not a character count there.
    if (kind.options & Gs1 || !prepared.primary.isEmpty())
        return QStringLiteral("Too long for %1").arg(where);
    return QStringLiteral("Too long for %1: at most %2 characters of this data")
        .arg(where)
        .arg(mostThatFits(kind, prepared, options));
}

// libzint's finding against a GS1 rule ("AI (17) position 3: Invalid month
// '13'"), its position counted in the AI's data and of a composite's part,
// put as where it is in the data as typed.
QString gs1Rule(const Prepared& prepared, const QString& message)
{
    static const QRegularExpression rule(
        QStringLiteral("^AI \\((\\d+)\\) position (\\d+): (.+?)( in (?:linear|2D) component)?$"));
    const QRegularExpressionMatch m = rule.match(message);
    if (!m.hasMatch())
        return {};
    const bool linear = m.captured(4).contains(QLatin1String("linear"));
    // The composite part follows the linear part and its "|".
    const QString& part = linear ? prepared.primary : prepared.data;
    const qsizetype offset = !linear && !prepared.primary.isEmpty() ? prepared.primary.size() + 1 : 0;
    QString what = m.captured(3);
    // GS1 names its character sets by number, which a user does not know.
    static const QRegularExpression cset(QStringLiteral("^Invalid CSET \\d+ character"));
    const bool outsideSet = what.contains(cset);
    what.replace(cset, QStringLiteral("Invalid character"));
    const qsizetype bracket = part.indexOf(QStringLiteral("[%1]").arg(m.captured(1)));
    if (bracket < 0)
        return QStringLiteral("%1 in AI (%2)").arg(what, m.captured(1));
    const qsizetype index = offset + bracket + m.captured(1).size() + 2 + m.captured(2).toInt() - 1;
    return QStringLiteral("%1 in AI (%2) %3%4")
        .arg(what, m.captured(1), at(index),
             outsideSet ? QStringLiteral(": GS1 allows no such character there") : QString());
}

// libzint's message in the program's words: what is wrong and where.
QString plainError(const Kind& kind, const Prepared& prepared, const Options& options, int code,
                   const QString& raw)
{
    static const QRegularExpression prefix(QStringLiteral("^(?:Error|Warning) \\d+: "));
    QString message = raw;
    message.remove(prefix);
    static const QRegularExpression checkDigit(QStringLiteral("[Ii]nvalid (?:\\w+ )?check digit '(.)', expecting '(.)'"));
    if (const QRegularExpressionMatch m = checkDigit.match(message); m.hasMatch())
        return QStringLiteral("The check digit is %1, not %2").arg(m.captured(2), m.captured(1));
    if (const QString rule = gs1Rule(prepared, message); !rule.isEmpty())
        return rule;
    if (code == ZINT_ERROR_TOO_LONG || message.contains(QLatin1String("too long"), Qt::CaseInsensitive))
        return tooLong(kind, prepared, options, message);
    if (message.contains(QLatin1String("nvalid character"))) {
        qsizetype bad = firstOutside(prepared.data, message);
        if (bad < 0 && message.contains(QLatin1String("ASCII")))
            bad = firstNonAscii(prepared.data);
        if (bad < 0 && message.contains(QLatin1String("8859-1")))
            bad = std::ranges::find_if(prepared.data, [](QChar c) { return c.unicode() > 0xFF; }) -
                  prepared.data.begin();
        if (bad >= 0 && bad < prepared.data.size()) {
            static const QRegularExpression set(QStringLiteral("\\(([^()]*)\\)"));
            const QRegularExpressionMatch m = set.match(message);
            return m.hasMatch() ? QStringLiteral("Invalid character %1 %2: %3 takes %4")
                                      .arg(charName(prepared.data[bad]), at(bad), title(kind), m.captured(1))
                                : QStringLiteral("Invalid character %1 %2 for %3")
                                      .arg(charName(prepared.data[bad]), at(bad), title(kind));
        }
    }
    if (message.isEmpty())
        return QStringLiteral("%1 cannot encode this data").arg(title(kind));
    message[0] = message[0].toUpper();
    return QStringLiteral("%1: %2").arg(title(kind), message);
}

// What a decoder returns for the symbol libzint made.
QString readingOf(const Kind& kind, const zint_symbol& symbol, const Prepared& prepared)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(symbol.text));
    const QLatin1String decoder(kind.decoder ? kind.decoder : "");
    if (kind.options & Addon)
        return QString(text).replace(u'+', u' ');
    if (decoder == QLatin1String("DataBarExpanded"))
        return text.isEmpty() ? QString(prepared.data).replace(u'[', u'(').replace(u']', u')') : text;
    if (decoder == QLatin1String("DataBar")) {
        if (!text.isEmpty())
            return QString(text).remove(QStringLiteral("(01)"));
        // Stacked symbols show no text: the GTIN with its check digit.
        QString gtin = prepared.data.rightJustified(13, u'0');
        if (gtin.size() == 13)
            gtin += QChar(u'0' + gs1CheckDigit(gtin));
        return gtin;
    }
    if (kind.id == BARCODE_ITF14)
        return text;
    if (kind.options & Gs1)
        return elementString(prepared.data, u'[', u']');
    if (kind.id == BARCODE_EAN14 || kind.id == BARCODE_NVE18)
        return elementString(text, u'(', u')');
    return prepared.data;
}

} // namespace

int eccOption(const Kind& kind, const QString& level)
{
    for (const Level& l : levelsOf(kind.id))
        if (level.compare(QLatin1String(l.name), Qt::CaseInsensitive) == 0)
            return l.value;
    return 0;
}

QStringList eccLevels(const Kind& kind)
{
    if (!(kind.options & Ecc))
        return {};
    QStringList levels;
    for (const Level& l : levelsOf(kind.id))
        levels << QString::fromLatin1(l.name);
    return levels;
}

QStringList symbolSizes(const Kind& kind)
{
    if (!(kind.options & SymbolSize))
        return {};
    // Worked out once per symbology, by encoding at each size.
    static std::mutex mutex;
    static std::map<int, QStringList> known;
    const std::lock_guard lock(mutex);
    auto it = known.find(kind.id);
    if (it == known.end()) {
        QStringList sizes;
        for (int n = 1; n <= sizeCount(kind.id); ++n)
            sizes << sizeName(kind.id, n);
        it = known.emplace(kind.id, sizes).first;
    }
    return it->second;
}

namespace {
Encoding refused(const QString& message)
{
    Encoding result;
    result.error = message;
    return result;
}
} // namespace

bool drawnFromBitmap(const Kind& kind)
{
    return !ZBarcode_Cap(kind.id, ZINT_CAP_HRT) && kind.id != BARCODE_MAXICODE && kind.id != BARCODE_DOTCODE &&
           kind.id != BARCODE_ULTRA;
}

namespace {

// The paper libzint's bitmap puts around the kinds drawn from their module
// rows, in modules on every side (the standards' quiet zones); -1 for the
// rest, drawn from the bitmap.
int gridQuietZone(int id)
{
    switch (id) {
    case BARCODE_QRCODE:
    case BARCODE_HIBC_QR:
    case BARCODE_UPNQR: return 4;
    case BARCODE_MICROQR:
    case BARCODE_RMQR: return 2;
    case BARCODE_DATAMATRIX:
    case BARCODE_HIBC_DM: return 1;
    case BARCODE_AZTEC:
    case BARCODE_HIBC_AZTEC:
    case BARCODE_AZRUNE:
    case BARCODE_CODEONE: return 0;
    case BARCODE_HANXIN: return 3;
    case BARCODE_GRIDMATRIX: return 6;
    case BARCODE_PDF417:
    case BARCODE_PDF417COMP:
    case BARCODE_HIBC_PDF: return 2;
    case BARCODE_MICROPDF417:
    case BARCODE_HIBC_MICPDF: return 1;
    default: return -1;
    }
}

// Each row's height in whole modules as the bitmap makes it: a row of no
// height of its own shares what the symbol's height leaves (a PDF417's rows
// are 3 modules high, a MicroPDF417's 2). Empty when any is not whole, which
// the bitmap would round.
std::vector<int> wholeRowHeights(const zint_symbol& symbol)
{
    if (symbol.rows <= 0 || symbol.rows > int(std::size(symbol.row_height)))
        return {};
    double fixed = 0;
    int shared = 0;
    for (int r = 0; r < symbol.rows; ++r) {
        if (symbol.row_height[r] > 0)
            fixed += symbol.row_height[r];
        else
            ++shared;
    }
    const double each = shared ? (symbol.height - fixed) / shared : 0;
    std::vector<int> heights;
    heights.reserve(size_t(symbol.rows));
    for (int r = 0; r < symbol.rows; ++r) {
        const double h = symbol.row_height[r] > 0 ? symbol.row_height[r] : each;
        const long whole = std::lround(h);
        if (whole < 1 || std::abs(h - double(whole)) > 1e-4)
            return {};
        heights.push_back(int(whole));
    }
    return heights;
}

} // namespace

Encoding encode(const Kind& kind, const QString& data, const Options& options, bool fromGrid)
{
    Encoding result;
    const Prepared prepared = prepare(kind, data, options);
    if (!prepared.error.isEmpty()) {
        result.error = prepared.error;
        return result;
    }
    if (!options.ecc.isEmpty() && eccLevels(kind).isEmpty())
        return refused(QStringLiteral("%1 has no error correction levels to choose").arg(title(kind)));
    if (!options.ecc.isEmpty() && !eccLevels(kind).contains(options.ecc, Qt::CaseInsensitive))
        return refused(QStringLiteral("%1 has no level \"%2\"; its levels are %3")
                           .arg(title(kind), options.ecc, eccLevels(kind).join(QStringLiteral(", "))));
    if (options.symbolSize < 0 || (options.symbolSize > 0 && options.symbolSize > sizeCount(kind.id)))
        return refused(sizeCount(kind.id) == 0 ? QStringLiteral("%1 has no sizes to choose").arg(title(kind))
                                               : QStringLiteral("%1 has sizes 1 to %2, not %3")
                                                     .arg(title(kind))
                                                     .arg(sizeCount(kind.id))
                                                     .arg(options.symbolSize));
    SymbolPtr symbol = configured(kind, prepared, options);
    if (!symbol)
        return refused(QStringLiteral("There is not enough memory to encode the data"));
    const QByteArray bytes = prepared.data.toUtf8();
    const bool bitmap = drawnFromBitmap(kind);
    int code = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                               int(bytes.size()));
    const int quietZone = gridQuietZone(kind.id);
    if (code < ZINT_ERROR && fromGrid && bitmap && quietZone >= 0) {
        result.rowHeights = wholeRowHeights(*symbol);
        if (!result.rowHeights.empty() && symbol->width > 0 && symbol->width <= 8 * int(std::size(symbol->encoded_data[0]))) {
            result.layout = Layout::Grid;
            result.quietZone = quietZone;
            result.reading = readingOf(kind, *symbol, prepared);
            result.symbol = std::move(symbol);
            return result;
        }
        result.rowHeights.clear();
    }
    // The bitmap as a byte a pixel, libzint's own colour codes: it skips
    // making three bytes of every pixel, which cost as much as the drawing.
    if (bitmap)
        symbol->output_options |= OUT_BUFFER_INTERMEDIATE;
    if (code < ZINT_ERROR)
        code = bitmap ? ZBarcode_Buffer(symbol.get(), 0) : ZBarcode_Buffer_Vector(symbol.get(), 0);
    if (code >= ZINT_ERROR || (bitmap ? !symbol->bitmap : !symbol->vector)) {
        result.error = plainError(kind, prepared, options, code, QString::fromUtf8(symbol->errtxt));
        return result;
    }
    result.layout = bitmap ? Layout::Bitmap : Layout::Vector;
    result.reading = readingOf(kind, *symbol, prepared);
    result.symbol = std::move(symbol);
    return result;
}

} // namespace zintsym
