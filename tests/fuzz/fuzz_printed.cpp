// An EAN/UPC number as printed: either refused with a reason, or made into a
// code of the form's length, of digits only, with its prefix, whose check
// digit it keeps and no other.
#include "FuzzInput.h"
#include "ean/PrintedCode.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    using ean::PrintedForm;
    static constexpr PrintedForm kForms[] = {PrintedForm::Ean13, PrintedForm::Jan13, PrintedForm::Isbn,
                                             PrintedForm::UpcA,  PrintedForm::Ean8,  PrintedForm::UpcE};
    static constexpr qsizetype kLengths[] = {13, 13, 13, 12, 8, 8};
    const int f = (in.flags >> 1) % 6;
    const PrintedForm form = kForms[f];
    const QString text = fuzz::digitsWhen(in.flags & 1, in.text);
    const ean::PrintedCode printed = ean::printedCode(form, text);
    FUZZ_REQUIRE(printed.ok() != printed.code.isEmpty());
    if (!printed.ok())
        return 0;
    const QString& code = printed.code;
    FUZZ_REQUIRE(code.size() == kLengths[f]);
    for (const QChar c : code)
        FUZZ_REQUIRE(c >= u'0' && c <= u'9');
    if (form == PrintedForm::Isbn)
        FUZZ_REQUIRE(code.startsWith(QLatin1String("978")) || code.startsWith(QLatin1String("979")));
    if (form == PrintedForm::Jan13)
        FUZZ_REQUIRE(code.startsWith(QLatin1String("45")) || code.startsWith(QLatin1String("49")));
    if (form == PrintedForm::UpcE)
        FUZZ_REQUIRE(code.startsWith(u'0') || code.startsWith(u'1'));
    // The code is its own printed form, and without its check digit it gets the same one back.
    FUZZ_REQUIRE(ean::printedCode(form, code).code == code);
    FUZZ_REQUIRE(ean::printedCode(form, printed.withoutCheck()).code == code);
    // Any other check digit is refused, naming the right one.
    QString wrong = code;
    wrong[wrong.size() - 1] = QChar(u'0' + (code.back().unicode() - u'0' + 1 + in.flags % 9) % 10);
    const ean::PrintedCode refused = ean::printedCode(form, wrong);
    FUZZ_REQUIRE(!refused.ok() &&
                 refused.error.startsWith(QStringLiteral("The check digit is %1,").arg(code.back())));
    return 0;
}
