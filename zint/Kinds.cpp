// The table of symbologies: the common ones by hand, under the names users
// know them by, every other one libzint has under a name derived from its own.
#include "zint/Symbols.h"

#include <zint.h>

#include <QHash>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace zintsym {

namespace {

constexpr unsigned kAddon = Addon;
constexpr unsigned k2D = MultiLine | Eci;

// Where the title, description and data are known better than libzint's name.
// A row with a name is a common kind under that short name; without one it is
// listed under the name derived from libzint's.
struct Known {
    int id;
    const char* name;
    const char* title;
    Group group;
    const char* description;
    const char* data;
    unsigned options = 0;
    const char* decoder = nullptr;
};

// What several kinds take, in the same words for each.
constexpr const char* kCode39Text = "Upper-case letters, digits and - . $ / + % space";
constexpr const char* kGtin = "A GTIN: 13 digits, or 14 with the check digit";
constexpr const char* kExpandedAis = "AIs in brackets: [01]09501101530003[3103]001750";

// clang-format off
const Known kKnown[] = {
    // 2D
    {BARCODE_QRCODE, "qr", "QR Code", Group::TwoD, "Square matrix for URLs, text and asset tags, read by phones",
     "Any text, several lines, up to about 2,900 characters", k2D | Ecc | SymbolSize, "QRCode"},
    {BARCODE_MICROQR, "microqr", "Micro QR Code", Group::TwoD, "Smallest QR Code, one finder pattern, for tiny parts",
     "Short text: up to 35 digits or 21 characters", Ecc | SymbolSize, "MicroQRCode"},
    {BARCODE_DATAMATRIX, "datamatrix", "Data Matrix", Group::TwoD, "Square or rectangular matrix for marking parts and documents",
     "Any text, several lines, up to about 1,550 characters", k2D | SymbolSize, "DataMatrix"},
    {BARCODE_AZTEC, "aztec", "Aztec Code", Group::TwoD, "Matrix with a central bullseye, needs no quiet zone; tickets",
     "Any text, several lines, up to about 3,000 characters", k2D | Ecc | SymbolSize, "Aztec"},
    {BARCODE_PDF417, "pdf417", "PDF417", Group::TwoD, "Stacked rows for ID cards, boarding passes and shipping",
     "Any text, several lines, up to about 1,800 characters", k2D | Ecc | SymbolSize, "PDF417"},
    {BARCODE_PDF417COMP, nullptr, "Compact PDF417", Group::TwoD, "PDF417 without its right row indicators, narrower",
     "Any text, several lines", k2D | Ecc | SymbolSize, "PDF417"},
    {BARCODE_MICROPDF417, "micropdf417", "MicroPDF417", Group::TwoD, "Small stacked symbol of one to four columns",
     "Any text, up to about 250 characters", k2D | SymbolSize, nullptr},
    {BARCODE_MAXICODE, "maxicode", "MaxiCode", Group::TwoD, "Fixed-size hexagon matrix used on parcels",
     "Text up to 93 characters", MultiLine | Eci, "MaxiCode"},
    {BARCODE_DOTCODE, "dotcode", "DotCode", Group::TwoD, "Matrix of dots for high-speed ink-jet printing",
     "Any text, several lines", k2D | SymbolSize, nullptr},
    {BARCODE_HANXIN, "hanxin", "Han Xin Code", Group::TwoD, "Chinese matrix symbol, strong in Chinese text",
     "Any text, several lines", k2D | Ecc | SymbolSize, nullptr},
    {BARCODE_GRIDMATRIX, "gridmatrix", "Grid Matrix", Group::TwoD, "Chinese matrix symbol of 6 x 6 blocks",
     "Any text, several lines", k2D | Ecc | SymbolSize, nullptr},
    {BARCODE_CODEONE, "codeone", "Code One", Group::TwoD, "Matrix with a central finder bar",
     "Any text, several lines", k2D | SymbolSize, nullptr},
    {BARCODE_ULTRA, "ultracode", "Ultracode", Group::TwoD, "Colour matrix symbol, drawn here in greys",
     "Any text, several lines", k2D | Ecc, nullptr},
    {BARCODE_RMQR, "rmqr", "Rectangular Micro QR Code", Group::TwoD, "QR Code in a long, low rectangle",
     "Text up to about 360 characters", k2D | SymbolSize, nullptr},
    {BARCODE_UPNQR, "upnqr", "UPNQR", Group::TwoD, "Slovenian payment QR Code, Latin-2 text",
     "Payment data as the UPN form gives it, up to 411 characters", MultiLine, "QRCode"},
    {BARCODE_CODE16K, "code16k", "Code 16K", Group::TwoD, "Stacked rows of Code 128",
     "Text up to about 77 characters"},
    {BARCODE_CODE49, "code49", "Code 49", Group::TwoD, "Stacked rows, up to 8", "ASCII text up to 81 characters"},
    {BARCODE_CODABLOCKF, "codablockf", "Codablock F", Group::TwoD, "Stacked rows of Code 128",
     "Text up to about 2,700 characters"},
    {BARCODE_AZRUNE, "aztec-rune", "Aztec Runes", Group::TwoD, "An 11 x 11 Aztec bullseye holding one number",
     "A number from 0 to 255"},
    // GS1
    {BARCODE_GS1_128, "gs1-128", "GS1-128", Group::Gs1, "Code 128 carrying GS1 Application Identifiers, on cases and pallets",
     "AIs in brackets: [01]09501101530003[17]261231[10]AB12", Gs1, "Code128"},
    {BARCODE_DBAR_OMN, "databar", "GS1 DataBar", Group::Gs1, "Omnidirectional GS1 DataBar for a GTIN on fresh food",
     kGtin, 0, "DataBar"},
    {BARCODE_DBAR_EXP, "databar-expanded", "GS1 DataBar Expanded", Group::Gs1, "GS1 DataBar with AIs: weight, price, dates",
     kExpandedAis, Gs1, "DataBarExpanded"},
    {BARCODE_DBAR_LTD, "databar-limited", "GS1 DataBar Limited", Group::Gs1, "Small GS1 DataBar for a GTIN beginning 0 or 1",
     "A GTIN: 13 digits beginning 0 or 1, or 14 with the check digit"},
    {BARCODE_DBAR_STK, "databar-stacked", "GS1 DataBar Stacked", Group::Gs1, "GS1 DataBar in two low rows",
     kGtin, 0, "DataBar"},
    {BARCODE_DBAR_OMNSTK, "databar-stacked-omni", "GS1 DataBar Stacked Omnidirectional", Group::Gs1,
     "GS1 DataBar in two tall rows", kGtin, 0, "DataBar"},
    {BARCODE_DBAR_EXPSTK, "databar-expanded-stacked", "GS1 DataBar Expanded Stacked", Group::Gs1,
     "GS1 DataBar Expanded in several rows", kExpandedAis, Gs1, "DataBarExpanded"},
    {BARCODE_EAN14, "ean14", "EAN-14", Group::Gs1, "GS1-128 of a GTIN-14 for outer cases",
     "13 digits, or 14 with the check digit", 0, "Code128"},
    {BARCODE_NVE18, "sscc18", "SSCC-18", Group::Gs1, "GS1-128 of a Serial Shipping Container Code",
     "17 digits, or 18 with the check digit", 0, "Code128"},
    {BARCODE_ITF14, "itf14", "ITF-14", Group::Gs1, "Interleaved 2 of 5 of a GTIN-14 on corrugated cases",
     "13 digits, or 14 with the check digit", 0, "ITF"},
    // Retail
    {BARCODE_EANX, "ean8", "EAN-8", Group::Retail, "Short EAN for small packs",
     "7 digits, or 8 with the check digit; add-on of 2 or 5 digits", kAddon, "EAN8"},
    {BARCODE_UPCE, "upce", "UPC-E", Group::Retail, "Zero-suppressed UPC for small packs",
     "6 or 7 digits (number system 0 or 1), or 8 with the check digit; add-on", kAddon, "UPCE"},
    {BARCODE_EANX, "ean13", "EAN-13", Group::Retail, "Retail product number, with an add-on where needed",
     "12 digits, or 13 with the check digit; add-on of 2 or 5 digits", kAddon, "EAN13"},
    {BARCODE_EANX, "jan13", "JAN-13", Group::Retail, "EAN-13 of Japan, prefix 45 or 49",
     "12 digits beginning 45 or 49, or 13 with the check digit; add-on", kAddon, "EAN13"},
    {BARCODE_UPCA, "upca", "UPC-A", Group::Retail, "North American retail product number",
     "11 digits, or 12 with the check digit; add-on of 2 or 5 digits", kAddon, "UPCA"},
    {BARCODE_ISBNX, "isbn", "ISBN", Group::Retail, "A book's number as an EAN-13 (Bookland), with its price add-on",
     "ISBN-13 or ISBN-10, hyphens allowed: 978-0-306-40615-7; add-on", kAddon, "EAN13"},
    // Linear
    {BARCODE_CODE93, "code93", "Code 93", Group::Linear, "Compact alphanumeric symbol with two check characters",
     "ASCII text", 0, "Code93"},
    {BARCODE_CODE11, "code11", "Code 11", Group::Linear, "Telecom labelling, digits and dashes", "Digits and -"},
    {BARCODE_MSI_PLESSEY, "msi", "MSI Plessey", Group::Linear, "Shelf labels in shops and warehouses", "Digits"},
    {BARCODE_PLESSEY, "plessey", "Plessey", Group::Linear, "Older shelf-label symbol", "Digits and A-F"},
    {BARCODE_TELEPEN, "telepen", "Telepen", Group::Linear, "Libraries and industry, full ASCII", "ASCII text"},
    {BARCODE_TELEPEN_NUM, "telepen-numeric", "Telepen Numeric", Group::Linear, "Telepen in its compact numeric mode",
     "Digits (an odd count gets a leading 0)"},
    {BARCODE_CODE128B, "code128b", "Code 128 (set B only)", Group::Linear, "Code 128 kept to character set B",
     "ASCII text", 0, "Code128"},
    {BARCODE_EXCODE39, "code39-extended", "Code 39 Extended", Group::Linear, "Code 39 of full ASCII by shift pairs",
     "ASCII text"},
    {BARCODE_LOGMARS, "logmars", "LOGMARS", Group::Linear, "Code 39 as the US military marks assets",
     kCode39Text, 0, "Code39"},
    {BARCODE_VIN, "vin", "Vehicle Identification Number", Group::Linear, "A car's VIN as Code 39",
     "17 characters: digits and letters but I, O, Q", 0, "Code39"},
    {BARCODE_CODE32, "code32", "Code 32 (Italian Pharmacode)", Group::Linear, "Italian medicines, Code 39 of base 32",
     "8 digits"},
    {BARCODE_PZN, "pzn", "PZN", Group::Linear, "German medicines, Code 39", "7 digits"},
    {BARCODE_C25STANDARD, "code2of5", "Standard 2 of 5", Group::Linear, "Industrial 2 of 5, bars only", "Digits"},
    {BARCODE_C25IATA, "iata2of5", "IATA 2 of 5", Group::Linear, "Air cargo 2 of 5", "Digits"},
    {BARCODE_C25LOGIC, "datalogic2of5", "Data Logic 2 of 5", Group::Linear, "Matrix 2 of 5 of Data Logic", "Digits"},
    {BARCODE_C25IND, "industrial2of5", "Industrial 2 of 5", Group::Linear, "2 of 5 with bars and spaces of bars", "Digits"},
    {BARCODE_DPLEIT, "leitcode", "Deutsche Post Leitcode", Group::Postal, "Routing code of Deutsche Post",
     "13 digits"},
    {BARCODE_DPIDENT, "identcode", "Deutsche Post Identcode", Group::Postal, "Tracking code of Deutsche Post",
     "11 digits"},
    {BARCODE_CHANNEL, "channel", "Channel Code", Group::Linear, "Very short numbers in little space", "Up to 7 digits"},
    {BARCODE_BC412, "bc412", "BC412", Group::Linear, "Semiconductor wafers", "4 to 18 digits and upper-case letters"},
    {BARCODE_DPD, "dpd", "DPD Code", Group::Postal, "Parcel label of DPD", "27 or 28 characters as DPD issues them"},
    // Postal
    {BARCODE_POSTNET, "postnet", "POSTNET", Group::Postal, "Former US ZIP code bars", "5, 9 or 11 digits"},
    {BARCODE_PLANET, "planet", "PLANET", Group::Postal, "Former US mail tracking bars", "11 or 13 digits"},
    {BARCODE_USPS_IMAIL, "usps-imail", "USPS Intelligent Mail", Group::Postal, "US mail 4-state bars",
     "20 digits of tracking code, - and 0, 5, 9 or 11 digits of ZIP"},
    {BARCODE_RM4SCC, "rm4scc", "Royal Mail 4-State", Group::Postal, "UK postcode 4-state bars", "Postcode: letters and digits"},
    {BARCODE_KIX, "kix", "KIX Code", Group::Postal, "Dutch postcode 4-state bars", "Letters and digits"},
    {BARCODE_MAILMARK, "mailmark", "Royal Mail Mailmark", Group::Postal, "UK 4-state Mailmark",
     "22 or 26 characters as Royal Mail issues them"},
    {BARCODE_AUSPOST, "auspost", "Australia Post Standard", Group::Postal, "Australia Post 4-state customer code",
     "8, 13 or 16 digits, or 23 characters with letters"},
    {BARCODE_AUSREPLY, "ausreply", "Australia Post Reply Paid", Group::Postal, "Australia Post reply paid", "8 digits"},
    {BARCODE_AUSROUTE, "ausroute", "Australia Post Routing", Group::Postal, "Australia Post routing", "8 digits"},
    {BARCODE_AUSREDIRECT, "ausredirect", "Australia Post Redirection", Group::Postal, "Australia Post redirection",
     "8 digits"},
    {BARCODE_JAPANPOST, "japanpost", "Japan Post", Group::Postal, "Japanese postal 4-state bars",
     "Postcode and address digits, letters and -"},
    {BARCODE_KOREAPOST, "koreapost", "Korea Post", Group::Postal, "Korean postal code", "6 digits"},
    {BARCODE_CEPNET, "cepnet", "CEPNet", Group::Postal, "Brazilian postal code bars", "8 digits"},
    {BARCODE_FIM, "fim", "Facing Identification Mark", Group::Postal, "US mail facing mark", "One letter: A, B, C or D"},
    {BARCODE_DAFT, "daft", "DAFT Code", Group::Postal, "4-state bars written as letters",
     "The letters D, A, F and T, one a bar"},
    // Other
    {BARCODE_FLAT, "flattermarken", "Flattermarken", Group::Other, "Marks that keep printed sheets in order", "Digits"},
    {BARCODE_PHARMA, "pharmacode", "Pharmacode", Group::Other, "Laetus pharmacode on packaging", "A number from 3 to 131070"},
    {BARCODE_PHARMA_TWO, "pharmacode-two-track", "Pharmacode Two-Track", Group::Other, "Two-track pharmacode",
     "A number from 4 to 64570080"},
};

// The health-industry (HIBC) forms of symbologies: "HIBC Code 128", used for
// health-industry labelling as Code 128, takes what Code 39 takes.
struct Hibc {
    int id;
    const char* name;
    const char* of; // the symbology's own title
    unsigned options = 0;
};

const Hibc kHibc[] = {
    {BARCODE_HIBC_128, "hibc-code128", "Code 128"},
    {BARCODE_HIBC_39, "hibc-code39", "Code 39"},
    {BARCODE_HIBC_DM, "hibc-datamatrix", "Data Matrix", SymbolSize},
    {BARCODE_HIBC_QR, "hibc-qr", "QR Code", Ecc | SymbolSize},
    {BARCODE_HIBC_PDF, "hibc-pdf417", "PDF417", Ecc | SymbolSize},
    {BARCODE_HIBC_MICPDF, "hibc-micropdf417", "MicroPDF417", SymbolSize},
    {BARCODE_HIBC_BLOCKF, "hibc-codablockf", "Codablock F"},
    {BARCODE_HIBC_AZTEC, "hibc-aztec", "Aztec Code", Ecc | SymbolSize},
};

// The same symbology with GS1 data, under names of their own.
const Known kGs1Twins[] = {
    {BARCODE_DATAMATRIX, "gs1-datamatrix", "GS1 DataMatrix", Group::Gs1, "Data Matrix carrying GS1 AIs, on healthcare and parts",
     "AIs in brackets: [01]09501101530003[17]261231[10]AB12", Gs1 | SymbolSize, "DataMatrix"},
    {BARCODE_QRCODE, "gs1-qr", "GS1 QR Code", Group::Gs1, "QR Code carrying GS1 AIs",
     "AIs in brackets: [01]09501101530003[17]261231", Gs1 | Ecc | SymbolSize, "QRCode"},
    {BARCODE_AZTEC, "gs1-aztec", "GS1 Aztec Code", Group::Gs1, "Aztec Code carrying GS1 AIs",
     "AIs in brackets: [01]09501101530003[17]261231", Gs1 | Ecc | SymbolSize, "Aztec"},
    {BARCODE_DOTCODE, "gs1-dotcode", "GS1 DotCode", Group::Gs1, "DotCode carrying GS1 AIs",
     "AIs in brackets: [01]09501101530003[17]261231", Gs1 | SymbolSize, nullptr},
};
// clang-format on

// Composite symbols: a linear symbol with a 2D part above it.
const std::pair<int, const char*> kCompositeTitles[] = {
    {BARCODE_EANX_CC, "EAN Composite"},
    {BARCODE_GS1_128_CC, "GS1-128 Composite"},
    {BARCODE_DBAR_OMN_CC, "GS1 DataBar Composite"},
    {BARCODE_DBAR_LTD_CC, "GS1 DataBar Limited Composite"},
    {BARCODE_DBAR_EXP_CC, "GS1 DataBar Expanded Composite"},
    {BARCODE_UPCA_CC, "UPC-A Composite"},
    {BARCODE_UPCE_CC, "UPC-E Composite"},
    {BARCODE_DBAR_STK_CC, "GS1 DataBar Stacked Composite"},
    {BARCODE_DBAR_OMNSTK_CC, "GS1 DataBar Stacked Omnidirectional Composite"},
    {BARCODE_DBAR_EXPSTK_CC, "GS1 DataBar Expanded Stacked Composite"},
};

// The window's own encoders draw these; listed twice they would only confuse.
constexpr int kWindowsOwn[] = {BARCODE_CODE39, BARCODE_CODE128, BARCODE_CODABAR, BARCODE_C25INTER};

// Two ids that check what the user gives rather than add a check digit;
// the plain ones take both, so these add nothing.
constexpr int kDuplicates[] = {BARCODE_EANX_CHK, BARCODE_UPCA_CHK, BARCODE_UPCE_CHK};

QString derivedName(int id)
{
    char name[32] = {};
    if (ZBarcode_BarcodeName(id, name) != 0)
        return {};
    QString n = QString::fromLatin1(name).toLower();
    if (n.startsWith(QLatin1String("barcode_")))
        n.remove(0, 8);
    return n.replace(u'_', u'-');
}

Group groupOf(int id)
{
    if (ZBarcode_Cap(id, ZINT_CAP_COMPOSITE))
        return Group::Gs1;
    return Group::Other;
}

struct Table {
    std::vector<Kind> kinds;
    QHash<QString, const Kind*> byName;
    std::deque<std::string> strings; // what the derived names and titles point into
};

const char* keep(Table& table, const QString& text)
{
    return table.strings.emplace_back(text.toStdString()).c_str();
}

Table makeTable()
{
    Table table;
    std::vector<int> described;
    const auto add = [&table](const Known& k) {
        table.kinds.push_back({k.id, k.name, k.title, k.group, k.description, k.data, k.options, k.decoder});
    };
    for (const Known& k : kKnown)
        if (ZBarcode_ValidID(k.id)) {
            Known named = k;
            if (!named.name)
                named.name = keep(table, derivedName(k.id));
            add(named);
            described.push_back(k.id);
        }
    for (const Hibc& h : kHibc)
        if (ZBarcode_ValidID(h.id)) {
            const QString of = QString::fromLatin1(h.of);
            add({h.id, h.name, keep(table, QStringLiteral("HIBC ") + of), Group::Other,
                 keep(table, QStringLiteral("Health-industry labelling as ") + of), kCode39Text, h.options});
            described.push_back(h.id);
        }
    for (const Known& k : kGs1Twins)
        if (ZBarcode_ValidID(k.id))
            add(k);
    // Whatever else the installed libzint has, composite symbols among them.
    for (int id = 1; id <= 255; ++id) {
        if (!ZBarcode_ValidID(id) || std::ranges::count(described, id) ||
            std::ranges::count(kWindowsOwn, id) || std::ranges::count(kDuplicates, id))
            continue;
        const QString name = derivedName(id);
        if (name.isEmpty())
            continue;
        const bool composite = ZBarcode_Cap(id, ZINT_CAP_COMPOSITE) != 0;
        QString title = name.toUpper();
        title.replace(u'-', u' ');
        for (const auto& [compositeId, compositeTitle] : kCompositeTitles)
            if (compositeId == id)
                title = QString::fromLatin1(compositeTitle);
        unsigned options = 0;
        if (composite)
            options |= Gs1;
        if (ZBarcode_Cap(id, ZINT_CAP_EXTENDABLE))
            options |= Addon;
        table.kinds.push_back(
            {id, keep(table, name), keep(table, title), groupOf(id),
             composite ? "A linear symbol with a 2D composite part above it, for GS1 data"
                       : "A symbology of the libzint library",
             composite ? "The linear part's data, then |, then the composite part's AIs in brackets"
                       : "Text as the symbology allows; a wrong character is named",
             options, nullptr});
    }
    std::ranges::stable_sort(table.kinds, [](const Kind& a, const Kind& b) {
        if (a.group != b.group)
            return a.group < b.group;
        return QString::fromUtf8(a.title).compare(QString::fromUtf8(b.title), Qt::CaseInsensitive) < 0;
    });
    for (const Kind& kind : table.kinds) {
        table.byName.insert(QString::fromLatin1(kind.name).toLower(), &kind);
        table.byName.insert(QString::fromLatin1(kind.title).toLower(), &kind);
    }
    // libzint's own names of the common ones, as a user of its tools types them.
    for (const Kind& kind : table.kinds) {
        if (kind.options & Gs1 && kind.group == Group::Gs1 && kind.id != BARCODE_GS1_128 &&
            kind.id != BARCODE_DBAR_EXP && kind.id != BARCODE_DBAR_EXPSTK)
            continue; // a GS1 twin: the plain symbology owns the derived name
        if (kind.id == BARCODE_EANX && QLatin1String(kind.name) != QLatin1String("ean13"))
            continue;
        const QString derived = derivedName(kind.id);
        if (!derived.isEmpty() && !table.byName.contains(derived))
            table.byName.insert(derived, &kind);
    }
    return table;
}

const Table& table()
{
    static const Table t = makeTable();
    return t;
}

} // namespace

QString groupTitle(Group group)
{
    switch (group) {
    case Group::Linear: return QStringLiteral("Linear");
    case Group::Retail: return QStringLiteral("Retail");
    case Group::Gs1: return QStringLiteral("GS1");
    case Group::TwoD: return QStringLiteral("2D");
    case Group::Postal: return QStringLiteral("Postal");
    case Group::Other: return QStringLiteral("Other");
    }
    return {};
}

std::span<const Kind> kinds()
{
    return table().kinds;
}

const Kind* kindNamed(QStringView name)
{
    return table().byName.value(name.toString().trimmed().toLower(), nullptr);
}

} // namespace zintsym
