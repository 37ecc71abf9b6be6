// The scan check: the decoder's verdict on drawn images, its reasons, the
// worker that keeps it off the keystroke path, and the mark under the picture.
#include "support/TestSupport.h"

#include "jobs/Surfaces.h"

#include "app/ScanMark.h"
#include "draw/PictureBox.h"
#include "ean/Ean.h"
#include "linear/Codabar.h"
#include "linear/Code128.h"
#include "linear/Code39.h"
#include "linear/Interleaved2of5.h"
#include "verify/AsyncChecker.h"
#include "verify/ScanCheck.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <future>

using testing::select;
using testing::Window;
using verify::Symbology;
using Outcome = verify::Verdict::Outcome;

Q_DECLARE_METATYPE(verify::Symbology)
Q_DECLARE_METATYPE(verify::Verdict::Outcome)

namespace {

draw::Surface makePicture1()
{
    return output::makeSurface(output::SurfaceId::Picture1);
}

// The picture as the window draws it for Code 128.
QImage code128(const QString& text)
{
    draw::Surface picture = makePicture1();
    linear::DrawCode128(picture, text, {});
    return picture.Image();
}

// The same picture with its black and white replaced by two greys.
QImage recoloured(const QImage& image, int dark, int light)
{
    QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        uchar* row = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            row[x] = uchar(dark + (light - dark) * row[x] / 255);
    }
    return grey;
}

// A picture the decoder searches long and in vain.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar((x * 7919 + y * 104729 + (x * y) % 13) % 251);
    return image;
}

bool waitIdle(BarcodeGenerator* w)
{
    // The verdict travels through the event loop after the worker is done.
    const bool idle = QTest::qWaitFor([w] { return !w->scanMark->checker().busy(); }, 20000);
    QCoreApplication::processEvents();
    return idle;
}

QString pictureDescription(const BarcodeGenerator* w, const draw::Surface& surface)
{
    return QAccessible::queryAccessibleInterface(w->pictureBox(surface))->text(QAccessible::Description);
}

} // namespace

class TestVerify : public QObject {
    Q_OBJECT
  private slots:
    void linearSymbols_data();
    void linearSymbols();
    void eanSymbol();
    void contrast_data();
    void contrast();
    void misreadNamesBoth();
    void imageLimits();
    void latestOnly_data();
    void latestOnly();
    void staleVerdictDropped();
    void endsWhileWaiting();
    void markInWindow_data();
    void markInWindow();
    void nothingWithoutSymbol_data();
    void nothingWithoutSymbol();
    void fastTypingEndsWithLastInput();
    void markStaysInFreeSpace();
};

// What the decoder makes of each linear symbol as the window draws it, with the
// data the encoder says it holds as the expectation.
void TestVerify::linearSymbols_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("optimize");
    QTest::addColumn<bool>("check");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("reason"); // part of the reason; empty where the symbol reads
    const QString none;
    const QString widened = QStringLiteral("$ / + % are widened");
    QTest::newRow("Code 39") << Symbology::Code39 << "Hello-39" << true << false << Outcome::Read << none;
    QTest::newRow("Code 39 check") << Symbology::Code39 << "ABC" << true << true << Outcome::Read << none;
    QTest::newRow("Code 39 $ plain") << Symbology::Code39 << "$" << false << false << Outcome::Read << none;
    QTest::newRow("Code 39 $ optimized")
        << Symbology::Code39 << "$" << true << false << Outcome::NotRead << widened;
    QTest::newRow("Code 39 A/B optimized")
        << Symbology::Code39 << "A/B" << true << false << Outcome::NotRead << widened;
    QTest::newRow("ITF 6 digits") << Symbology::Interleaved2of5 << "123456" << true << false << Outcome::Read
                                  << none;
    QTest::newRow("ITF 5 + check") << Symbology::Interleaved2of5 << "12345" << true << true << Outcome::Read
                                   << none;
    QTest::newRow("ITF 12") << Symbology::Interleaved2of5 << "12" << true << false << Outcome::NotRead
                            << QStringLiteral("fewer than 6 digits");
    QTest::newRow("ITF 3 + check") << Symbology::Interleaved2of5 << "123" << false << true << Outcome::NotRead
                                   << QStringLiteral("fewer than 6 digits");
    QTest::newRow("Code 128") << Symbology::Code128 << "Hello, World!" << true << false << Outcome::Read
                              << none;
    QTest::newRow("Codabar") << Symbology::Codabar << "31117013206375" << true << false << Outcome::Read
                             << none;
    QTest::newRow("Codabar 2") << Symbology::Codabar << "12" << true << false << Outcome::Read << none;
    QTest::newRow("Codabar 1") << Symbology::Codabar << "1" << true << false << Outcome::NotRead
                               << QStringLiteral("fewer than 2 characters");
}

void TestVerify::linearSymbols()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, input);
    QFETCH(bool, optimize);
    QFETCH(bool, check);
    QFETCH(Outcome, outcome);
    QFETCH(QString, reason);
    draw::Surface picture = makePicture1();
    const linear::Options options{.optimize = optimize, .label = 1, .check = check};
    linear::LinearSymbol symbol;
    switch (symbology) {
    case Symbology::Code39:
        linear::DrawCode39(picture, input, options);
        symbol = linear::encodeCode39(input, check);
        break;
    case Symbology::Interleaved2of5:
        linear::DrawInterleaved2of5(picture, input, options);
        symbol = linear::encodeInterleaved2of5(input, check);
        break;
    case Symbology::Code128:
        linear::DrawCode128(picture, input, options);
        symbol = linear::encodeCode128(input);
        break;
    default:
        linear::DrawCodabar(picture, input, options);
        symbol = linear::encodeCodabar(input);
        break;
    }
    const verify::Verdict verdict =
        verify::check(symbology, picture.Image(), {.expected = symbol.label(), .optimize = optimize});
    // A misreading is as bad as no reading: both must come with the reason.
    const Outcome seen = verdict.outcome == Outcome::Misread ? Outcome::NotRead : verdict.outcome;
    QCOMPARE(seen, outcome);
    if (outcome == Outcome::Read) {
        QCOMPARE(verdict.text, symbol.label());
        QCOMPARE(verdict.headline(), QStringLiteral("Scans as ") + symbol.label());
        QVERIFY(verdict.reason.isEmpty());
    } else {
        QVERIFY2(verdict.reason.contains(reason), qPrintable(verdict.reason));
        QVERIFY(verdict.details().contains(reason));
    }
}

void TestVerify::eanSymbol()
{
    draw::Surface picEan(output::makeSurface(output::SurfaceId::picEan));
    picEan.setFillSolid(true);
    ean::DrawEan(picEan, QStringLiteral("1234567890128"));
    const verify::Verdict verdict =
        verify::check(Symbology::Ean13, picEan.Image(), {.expected = QStringLiteral("1234567890128")});
    QCOMPARE(verdict.outcome, Outcome::Read);
    QCOMPARE(verdict.text, QStringLiteral("1234567890128"));
    // Restricted to one symbology: an EAN-13 is no UPC-A to the decoder.
    QCOMPARE(verify::check(Symbology::Code128, picEan.Image(), {}).outcome, Outcome::NotRead);
}

// Two colours too close in lightness are refused, and the reason gives the
// measured contrast; a pair well apart still reads.
void TestVerify::contrast_data()
{
    QTest::addColumn<int>("dark");
    QTest::addColumn<int>("light");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("reason");
    QTest::newRow("black on white") << 0 << 255 << Outcome::Read << QString();
    QTest::newRow("dark grey on light grey") << 70 << 190 << Outcome::Read << QString();
    QTest::newRow("dark on white") << 150 << 255 << Outcome::Read << QString();
    QTest::newRow("grey on grey") << 120 << 140 << Outcome::NotRead << QStringLiteral("only 8% in lightness");
    QTest::newRow("white on white") << 250 << 255 << Outcome::NotRead
                                    << QStringLiteral("only 2% in lightness");
}

void TestVerify::contrast()
{
    QFETCH(int, dark);
    QFETCH(int, light);
    QFETCH(Outcome, outcome);
    QFETCH(QString, reason);
    const QImage image = recoloured(code128(QStringLiteral("Hello")), dark, light);
    QCOMPARE(verify::symbolContrast(image), (light - dark) / 255.0);
    const verify::Verdict verdict =
        verify::check(Symbology::Code128, image, {.expected = QStringLiteral("Hello")});
    QCOMPARE(verdict.outcome, outcome);
    if (outcome == Outcome::Read) {
        QCOMPARE(verdict.text, QStringLiteral("Hello"));
    } else {
        QCOMPARE(verdict.headline(), QStringLiteral("Not read by a standard decoder"));
        QVERIFY2(verdict.reason.contains(reason), qPrintable(verdict.reason));
    }
}

// A reading that differs from the data is no success, and says what it read.
void TestVerify::misreadNamesBoth()
{
    const verify::Verdict verdict = verify::check(Symbology::Code128, code128(QStringLiteral("ABC")),
                                                  {.expected = QStringLiteral("ABD")});
    QCOMPARE(verdict.outcome, Outcome::Misread);
    QVERIFY(!verdict.reads());
    QCOMPARE(verdict.text, QStringLiteral("ABC"));
    QCOMPARE(verdict.headline(), QStringLiteral("Scans as ABC, not as the data"));
    QVERIFY2(verdict.reason.contains(QStringLiteral("\"ABC\" where the data is \"ABD\"")),
             qPrintable(verdict.reason));
    // Without an expectation any reading counts.
    QCOMPARE(verify::check(Symbology::Code128, code128(QStringLiteral("ABC")), {}).outcome, Outcome::Read);
}

void TestVerify::imageLimits()
{
    const verify::Verdict none =
        verify::check(Symbology::Code39, QImage(), {.expected = QStringLiteral("A")});
    QCOMPARE(none.outcome, Outcome::NotRead);
    QVERIFY(!none.reason.isEmpty());
    // A blank page bound for a device whose dots are wider than a module.
    QImage blank(200, 60, QImage::Format_Grayscale8);
    blank.fill(255);
    const verify::Verdict narrow =
        verify::check(Symbology::Code39, blank, {.expected = QStringLiteral("A"), .dotsPerModule = 0.5});
    QCOMPARE(narrow.outcome, Outcome::NotRead);
    QVERIFY2(narrow.reason.contains(QStringLiteral("narrower than one dot")), qPrintable(narrow.reason));
    // Coloured images are read by their lightness, as a scanner sees them.
    QImage rgb = code128(QStringLiteral("Colour")).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            rgb.setPixel(x, y, qGray(rgb.pixel(x, y)) < 128 ? qRgb(0, 0, 140) : qRgb(255, 255, 200));
    QCOMPARE(verify::check(Symbology::Code128, rgb, {.expected = QStringLiteral("Colour")}).text,
             QStringLiteral("Colour"));
}

// While one decode runs, a burst of requests is worth one more decode, and only
// the last one's verdict arrives.
void TestVerify::latestOnly_data()
{
    QTest::addColumn<int>("settle");
    QTest::newRow("at once") << 0;
    QTest::newRow("once typing pauses") << int(verify::AsyncChecker::kSettle.count());
}

void TestVerify::latestOnly()
{
    QFETCH(int, settle);
    verify::AsyncChecker checker(nullptr, std::chrono::milliseconds(settle));
    QSignalSpy spy(&checker, &verify::AsyncChecker::checked);
    const QImage slow = noise(6000, 1500);
    constexpr int kBurst = 30;
    std::vector<QImage> burst;
    for (int i = 0; i < kBurst; ++i)
        burst.push_back(code128(QStringLiteral("Burst %1").arg(i)));
    checker.check({Symbology::Code128, slow, {}});
    for (int i = 0; i < kBurst; ++i)
        checker.check(
            {Symbology::Code128, burst[size_t(i)], {.expected = QStringLiteral("Burst %1").arg(i)}});
    QTRY_VERIFY_WITH_TIMEOUT(!checker.busy(), 60000);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.front().front().value<verify::Verdict>().text, QStringLiteral("Burst %1").arg(kBurst - 1));
    QVERIFY2(checker.decodesStarted() <= 2, qPrintable(QString::number(checker.decodesStarted())));
    // Cancelled before its picture was fetched: nothing arrives.
    checker.check({Symbology::Code128, code128(QStringLiteral("Late")), {}});
    checker.cancel();
    QTRY_VERIFY(!checker.busy());
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 1);
}

// A newer request arrives while the worker reads an older picture: the older
// verdict, already on its way, is never delivered.
void TestVerify::staleVerdictDropped()
{
    // The worker is held inside the old picture's decode until the next
    // keystroke's request is in: its verdict must be dropped, the new one kept.
    std::promise<void> oldStarted, newRequested;
    std::shared_future<void> mayFinish = newRequested.get_future().share();
    verify::AsyncChecker checker(nullptr, std::chrono::milliseconds(0), [&](const verify::Request& r) {
        if (r.context.expected == u"Old") {
            oldStarted.set_value();
            mayFinish.wait();
        }
        return verify::check(r.symbology, r.image, r.context);
    });
    QSignalSpy spy(&checker, &verify::AsyncChecker::checked);
    std::future<void> started = oldStarted.get_future();
    checker.check({Symbology::Code128, code128(QStringLiteral("Old")), {.expected = QStringLiteral("Old")}});
    // The worker asks the event loop for the picture before it decodes.
    QTRY_VERIFY(started.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    checker.check({Symbology::Code128, code128(QStringLiteral("New")), {.expected = QStringLiteral("New")}});
    newRequested.set_value();
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() > 0 && !checker.busy(), 60000);
    QCoreApplication::processEvents();
    QCOMPARE(checker.decodesStarted(), 2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.front().front().value<verify::Verdict>().text, QStringLiteral("New"));
}

// Destroyed while its worker waits for the picture that only the event loop
// could hand over: it must neither hang nor deliver.
void TestVerify::endsWhileWaiting()
{
    auto checker = std::make_unique<verify::AsyncChecker>(nullptr, std::chrono::milliseconds(0));
    QSignalSpy spy(checker.get(), &verify::AsyncChecker::checked);
    checker->check({Symbology::Code128, code128(QStringLiteral("Bye")), {}});
    QTest::qSleep(50); // the worker is now waiting; no event is processed
    QVERIFY(checker->busy());
    checker.reset();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);
}

// The window checks exactly the picture that Copy and File Save would hand
// out: for EAN and UPC-A that is not the linear picture drawn alongside.
void TestVerify::markInWindow_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("optimize");
    QTest::addColumn<bool>("check");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QString>("reason");
    const QString unread = QStringLiteral("Not read by a standard decoder");
    QTest::newRow("Code 39") << "Code 39"
                             << "Hello" << true << false << "Scans as HELLO" << QString();
    QTest::newRow("Code 39 check") << "Code 39"
                                   << "ABC" << true << true << "Scans as ABCX" << QString();
    QTest::newRow("Code 39 $ optimized") << "Code 39"
                                         << "$" << true << false << unread << "\"Optimize for Printing\"";
    QTest::newRow("Code 39 $ plain") << "Code 39"
                                     << "$" << false << false << "Scans as $" << QString();
    QTest::newRow("ITF 12") << "Interleaved 2 of 5"
                            << "12" << true << false << unread
                            << "Interleaved 2 of 5 of fewer than 6 digits is refused by many scanners";
    QTest::newRow("ITF 7") << "Interleaved 2 of 5"
                           << "1234567" << true << false << "Scans as 01234567" << QString();
    QTest::newRow("Code 128") << "Code 128"
                              << "Label 42" << true << false << "Scans as Label 42" << QString();
    QTest::newRow("Codabar") << "Codabar"
                             << "12-$:/.+" << true << false << "Scans as 12-$:/.+" << QString();
    QTest::newRow("EAN-13") << "EAN-13"
                            << "123456789012" << true << false << "Scans as 1234567890128" << QString();
    QTest::newRow("JAN-13") << "JAN-13"
                            << "490123456789" << true << false << "Scans as 4901234567894" << QString();
    QTest::newRow("ISBN") << "ISBN"
                          << "978030640615" << true << false << "Scans as 9780306406157" << QString();
    QTest::newRow("UPC-A") << "UPC-A"
                           << "09736339584" << true << false << "Scans as 097363395843" << QString();
}

void TestVerify::markInWindow()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(bool, optimize);
    QFETCH(bool, check);
    QFETCH(QString, headline);
    QFETCH(QString, reason);
    Window w;
    select(w.w.get(), symbology);
    w->Check1[0]->setChecked(optimize);
    w->Check1[2]->setChecked(check);
    w->Text1->setText(input);
    QTRY_COMPARE_WITH_TIMEOUT(w->scanMark->text(), headline, 20000);
    QVERIFY(w->scanMark->isVisibleTo(w.w.get()));
    const QString tip = w->scanMark->toolTip();
    QVERIFY2(tip.startsWith(headline), qPrintable(tip));
    if (!reason.isEmpty())
        QVERIFY2(tip.contains(reason), qPrintable(tip));
    // A screen reader hears it with what the picture shows.
    const draw::Surface& shown =
        symbology == u"UPC-A"                                                            ? w->picUPC()
        : symbology.startsWith(u"EAN") || symbology == u"JAN-13" || symbology == u"ISBN" ? w->picEan()
                                                                                         : w->Picture1();
    QCOMPARE(pictureDescription(w.w.get(), shown), shown.description() + QStringLiteral(". ") + headline);
    QCOMPARE(QAccessible::queryAccessibleInterface(w->scanMark)->text(QAccessible::Description), tip);
}

// Empty input, a message in place of the symbol and a hint in place of the
// EAN picture: the mark goes, and a verdict still on its way does not bring it back.
void TestVerify::nothingWithoutSymbol_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::newRow("empty input") << "Code 39"
                                 << "";
    QTest::newRow("Code 39 message") << "Code 39"
                                     << "a*c";
    QTest::newRow("Code 128 message") << "Code 128" << QString::fromUtf8("caf\u00e9");
    QTest::newRow("ITF message") << "Interleaved 2 of 5"
                                 << "12a4";
    QTest::newRow("EAN hint") << "EAN-13"
                              << "123";
    QTest::newRow("ISBN hint") << "ISBN"
                               << "123456789012";
    QTest::newRow("UPC-A hint") << "UPC-A"
                                << "0973633958";
}

void TestVerify::nothingWithoutSymbol()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    Window w;
    select(w.w.get(), symbology);
    // A symbol first, so that the mark has something to take away.
    const QString valid = symbology == u"UPC-A"  ? QStringLiteral("09736339584")
                          : symbology == u"ISBN" ? QStringLiteral("978030640615")
                                                 : QStringLiteral("123456789012");
    w->Text1->setText(valid);
    QTRY_VERIFY_WITH_TIMEOUT(w->scanMark->text().startsWith(u"Scans as"), 20000);
    // The next symbol goes to the decoder; the input after it shows none.
    w->Text1->setText(valid.left(valid.size() - 1) + QStringLiteral("7"));
    w->Text1->setText(input);
    QTRY_VERIFY_WITH_TIMEOUT(w->scanMark->isHidden(), 20000);
    QVERIFY(waitIdle(w.w.get()));
    QVERIFY(w->scanMark->isHidden());
    QCOMPARE(w->scanMark->text(), QString());
    QVERIFY(w->scanMark->toolTip().isEmpty());
    for (const draw::Surface* s : {&w->Picture1(), &w->picEan(), &w->picUPC()})
        QCOMPARE(pictureDescription(w.w.get(), *s), s->description());
}

// Typing quickly: keystrokes come faster than the decoder reads, with pauses
// now and then in which it starts on an earlier input. The mark ends with the
// last input, and nothing older is shown once the last key is in.
void TestVerify::fastTypingEndsWithLastInput()
{
    Window w;
    select(w.w.get(), QStringLiteral("Code 128"));
    const verify::AsyncChecker& checker = w->scanMark->checker();
    QSignalSpy spy(w->scanMark, &ScanMark::shown);
    const QString typed = QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789");
    for (qsizetype i = 0; i + 1 < typed.size(); ++i) {
        QTest::keyClick(w->Text1, typed.at(i).toLatin1());
        // The event loop runs between keystrokes, as it does for a person.
        QCoreApplication::processEvents();
        // A pause: verdicts of earlier inputs arrive while the typing goes on.
        if (i % 16 == 15)
            QTest::qWait(int(verify::AsyncChecker::kSettle.count()) * 2);
    }
    // The last key goes in right after a pause in which the decoder started on
    // the input before it; that verdict must not be shown once the key is in.
    const int decodes = checker.decodesStarted();
    QVERIFY(QTest::qWaitFor([&] { return checker.decodesStarted() > decodes; }, 20000));
    QTest::keyClick(w->Text1, typed.back().toLatin1());
    QCOMPARE(w->Text1->text(), typed);
    const qsizetype afterLastKey = spy.count();
    QVERIFY(spy.count() > 0);
    QVERIFY(waitIdle(w.w.get()));
    QTRY_COMPARE_WITH_TIMEOUT(w->scanMark->text(), QStringLiteral("Scans as ") + typed, 20000);
    QCOMPARE(spy.count(), afterLastKey + 1);
    QCOMPARE(spy.back().front().value<verify::Verdict>().text, typed);
    // Far fewer decodes than keystrokes: the rest were dropped unread.
    QVERIFY2(checker.decodesStarted() < typed.size() / 4,
             qPrintable(QString::number(checker.decodesStarted())));
    // Erasing back to a shorter input is checked the same way.
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(w->Text1, Qt::Key_Backspace);
    const QString shorter = typed.left(typed.size() - 10);
    QTRY_COMPARE_WITH_TIMEOUT(w->scanMark->text(), QStringLiteral("Scans as ") + shorter, 20000);
    QCOMPARE(spy.back().front().value<verify::Verdict>().text, shorter);
}

// The mark lies in space no control of the window uses, inside the client area.
void TestVerify::markStaysInFreeSpace()
{
    Window w;
    w->show();
    w->Text1->setText(QStringLiteral("Hello"));
    QTRY_VERIFY_WITH_TIMEOUT(!w->scanMark->isHidden(), 20000);
    const QRect mark = w->scanMark->geometry();
    QVERIFY(w->centralWidget()->rect().contains(mark));
    for (QWidget* child : w->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == w->scanMark || child->isHidden())
            continue;
        // The help panel lies beside the picture when it is on; the mark stays clear of it too.
        QVERIFY2(!child->geometry().intersects(mark), qPrintable(child->objectName()));
    }
    w->Check2->setChecked(true);
    QVERIFY(!w->HelpT->geometry().intersects(mark));
}

QTEST_MAIN(TestVerify)
#include "tst_verify.moc"
