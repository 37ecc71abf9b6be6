// Export to files and printing at a true size: what a scanner reads from each
// file, the module width a ruler would measure in it, its colours, and what a
// failed write leaves behind.
#include "support/TestSupport.h"

#include "desktop/Print.h"
#include "formats/Export.h"
#include "formats/PngWriter.h"

#include <QDir>
#include <QImageReader>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <ZXing/ReadBarcode.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using output::ExportSettings;
using output::Format;
using testing::readAll;
using testing::select;
using testing::TinyFileLimit;
using testing::Window;
using testing::writeFile;

Q_DECLARE_METATYPE(output::Format)

namespace {

constexpr double kMmPerInch = 25.4;
// A row of the surfaces that crosses every bar and no label.
constexpr int kBarRow = 20;

struct Symbol {
    const char* symbology;
    const char* input;
    ZXing::BarcodeFormat format;
    const char* decoded;
};
// The window's defaults draw them; the decoder returns Interleaved 2 of 5
// padded to an even count and EAN/UPC with the check digit.
const Symbol kSymbols[] = {
    {"Code 39", "EXPORT-39", ZXing::BarcodeFormat::Code39, "EXPORT-39"},
    {"Interleaved 2 of 5", "1234567", ZXing::BarcodeFormat::ITF, "01234567"},
    {"Code 128", "Size 42 mm", ZXing::BarcodeFormat::Code128, "Size 42 mm"},
    {"Codabar", "31117013206375", ZXing::BarcodeFormat::Codabar, "31117013206375"},
    {"EAN-13", "123456789012", ZXing::BarcodeFormat::EAN13, "1234567890128"},
    {"JAN-13", "451234567890", ZXing::BarcodeFormat::EAN13, "4512345678906"},
    {"ISBN", "978020137962", ZXing::BarcodeFormat::EAN13, "9780201379624"},
    {"UPC-A", "09736339584", ZXing::BarcodeFormat::UPCA, "097363395843"},
};

const draw::Surface& shown(const Window& w, const QString& symbology)
{
    if (symbology == u"UPC-A")
        return w->picUPC();
    if (symbology == u"EAN-13" || symbology == u"JAN-13" || symbology == u"ISBN")
        return w->picEan();
    return w->Picture1();
}

// Each dark column of a surface row as `scale` file columns.
std::vector<int> widened(const std::vector<int>& columns, int scale, int offset = 0)
{
    std::vector<int> out;
    for (const int x : columns)
        for (int i = 0; i < scale; ++i)
            out.push_back(offset + x * scale + i);
    return out;
}

// The file row through the middle of surface row kBarRow.
int barRow(const QImage& file, const QImage& surface)
{
    return int((kBarRow + 0.5) * file.height() / surface.height());
}

// File pixels per module, from the outer edges of the bars: the span a ruler
// would measure, divided by the modules it covers on the surface.
double measuredPixelsPerModule(const QImage& file, int fileRow, const QImage& surface)
{
    const std::vector<int> bars = testing::darkColumns(surface, kBarRow);
    const std::vector<int> printed = testing::darkColumns(file, fileRow);
    if (bars.empty() || printed.empty())
        return 0;
    return double(printed.back() + 1 - printed.front()) / double(bars.back() + 1 - bars.front());
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

// The first pixel between the outer bars, rows 10 to 30 of the surface, that is
// neither colour; an empty string when there is none.
QString impurePixel(const QImage& file, const QImage& surface, QRgb fg, QRgb bg, int tolerance)
{
    const std::vector<int> bars = testing::darkColumns(surface, kBarRow);
    const double scale = double(file.height()) / surface.height();
    const int left = int(bars.front() * scale), right = int((bars.back() + 1) * scale) - 1;
    const QImage argb = file.convertToFormat(QImage::Format_ARGB32);
    for (int y = int(10 * scale); y < int(30 * scale); ++y)
        for (int x = left; x <= right; ++x) {
            const QRgb p = argb.pixel(x, y);
            if (!near(p, fg, tolerance) && !near(p, bg, tolerance))
                return QStringLiteral("(%1, %2) is #%3").arg(x).arg(y).arg(p, 8, 16, QChar(u'0'));
        }
    return {};
}

// What a scanner reads from a file's picture: already several pixels a module,
// so it is only framed in white, not enlarged (the decoder gives up on
// pictures enlarged that far).
std::string scan(const QImage& image, ZXing::BarcodeFormat format)
{
    return testing::decode(image, format, 1);
}

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput()};
}

// A page rendered without antialiasing, so edges fall on whole pixels.
QImage renderPdf(const QString& pdf, int dpi, const QString& stem, bool transparent = false,
                 const QRect& crop = QRect())
{
    QStringList args{QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                     QStringLiteral("-singlefile")};
    if (transparent) {
        // Only the cairo renderer keeps a page without a background transparent.
        args << QStringLiteral("-transp") << QStringLiteral("-antialias") << QStringLiteral("none");
    } else {
        args << QStringLiteral("-aa") << QStringLiteral("no") << QStringLiteral("-aaVector")
             << QStringLiteral("no");
    }
    if (!crop.isNull())
        args << QStringLiteral("-x") << QString::number(crop.x()) << QStringLiteral("-y")
             << QString::number(crop.y()) << QStringLiteral("-W") << QString::number(crop.width())
             << QStringLiteral("-H") << QString::number(crop.height());
    args << pdf << stem;
    if (run(transparent ? QStringLiteral("pdftocairo") : QStringLiteral("pdftoppm"), args).exitCode != 0)
        return {};
    return QImage(stem + QStringLiteral(".png"));
}

QSizeF pdfPageSizePoints(const QString& pdf)
{
    const QString info = QString::fromLatin1(run(QStringLiteral("pdfinfo"), {pdf}).output);
    const auto m = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

struct SvgFacts {
    QSizeF sizeMm; // the width and height attributes
    QRectF viewBox;
    QSet<QString> fills; // every fill colour named, "none" left out
};

SvgFacts readSvg(const QByteArray& svg)
{
    SvgFacts facts;
    QXmlStreamReader xml(svg);
    const auto mm = [](QStringView v) { return v.endsWith(u"mm") ? v.chopped(2).toDouble() : -1.0; };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"svg") {
            facts.sizeMm =
                QSizeF(mm(a.value(QStringLiteral("width"))), mm(a.value(QStringLiteral("height"))));
            const QStringList box =
                a.value(QStringLiteral("viewBox")).toString().split(u' ', Qt::SkipEmptyParts);
            if (box.size() == 4)
                facts.viewBox =
                    QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(), box[3].toDouble());
        }
        const QString fill = a.value(QStringLiteral("fill")).toString().toLower();
        if (!fill.isEmpty() && fill != u"none")
            facts.fills.insert(fill);
    }
    return facts;
}

QImage renderSvg(const QByteArray& svg, QSize size)
{
    QSvgRenderer renderer(svg);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

// Root writes into a read-only folder; for the length of a write this thread
// gives up the capabilities that let it.
class WithoutFileOverride {
  public:
    WithoutFileOverride()
    {
        m_header = {_LINUX_CAPABILITY_VERSION_3, 0};
        syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        syscall(SYS_capset, &m_header, reduced);
    }
    ~WithoutFileOverride() { syscall(SYS_capset, &m_header, m_saved); }
    WithoutFileOverride(const WithoutFileOverride&) = delete;
    WithoutFileOverride& operator=(const WithoutFileOverride&) = delete;

  private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
};

} // namespace

class TestExport : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void planRoundsToWholePixels_data();
    void planRoundsToWholePixels();
    void filesScanAtTheirSize_data();
    void filesScanAtTheirSize();
    void pixelFilesCarryTheirResolution_data();
    void pixelFilesCarryTheirResolution();
    void labelIsSetAtTheNewSizeNotEnlarged();
    void vectorLabelSitsWhereTheWindowShowsIt_data();
    void vectorLabelSitsWhereTheWindowShowsIt();
    void wideSymbolsKeepEveryBar();
    void coloursAndTransparencyReachTheFile_data();
    void coloursAndTransparencyReachTheFile();
    void refusesWhatItCannotWrite_data();
    void refusesWhatItCannotWrite();
    void tooLargeSaysWhatWouldHelp_data();
    void tooLargeSaysWhatWouldHelp();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void printsAtTrueSize_data();
    void printsAtTrueSize();
    void printFailuresAreReported();
    void onePixelIsOneModule_data();
    void onePixelIsOneModule();
    void pngHoldsEveryPixel_data();
    void pngHoldsEveryPixel();

  private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
};

void TestExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestExport::planRoundsToWholePixels_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<double>("moduleMm");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixelsPerModule");
    QTest::addColumn<double>("obtainedMm");
    // 0.33 mm is 3.90 dots at 300 dpi: nearest, not truncated.
    QTest::newRow("0.33 mm at 300 dpi: 4") << Format::Png << 0.33 << 300 << 4 << 4 * kMmPerInch / 300;
    QTest::newRow("0.5 mm at 203 dpi: 4") << Format::Png << 0.5 << 203 << 4 << 4 * kMmPerInch / 203;
    QTest::newRow("0.25 mm at 203 dpi: 2") << Format::Bmp << 0.25 << 203 << 2 << 2 * kMmPerInch / 203;
    // 2.24 dots: nearest is down, not up.
    QTest::newRow("0.19 mm at 300 dpi: 2") << Format::Png << 0.19 << 300 << 2 << 2 * kMmPerInch / 300;
    // A third of a dot still gets one.
    QTest::newRow("0.1 mm at 96 dpi: 1") << Format::Png << 0.1 << 96 << 1 << kMmPerInch / 96;
    // Vector files take the width as asked; their resolution plays no part.
    QTest::newRow("SVG 0.33 mm") << Format::Svg << 0.33 << 0 << 0 << 0.33;
    QTest::newRow("PDF 0.5 mm") << Format::Pdf << 0.5 << 203 << 0 << 0.5;
}

void TestExport::planRoundsToWholePixels()
{
    QFETCH(Format, format);
    QFETCH(double, moduleMm);
    QFETCH(int, dpi);
    QFETCH(int, pixelsPerModule);
    QFETCH(double, obtainedMm);
    const QSize surface(131, 77);
    ExportSettings settings;
    settings.format = format;
    settings.moduleMm = moduleMm;
    settings.dpi = dpi;
    const output::ExportPlan plan = output::plan(surface, settings);
    QVERIFY2(plan.ok(), qPrintable(plan.error));
    QCOMPARE(plan.pixelsPerModule, pixelsPerModule);
    QVERIFY(std::abs(plan.moduleMm - obtainedMm) < 1e-9);
    QCOMPARE(plan.sizePixels, output::isVector(format) ? QSize() : surface * pixelsPerModule);
    QVERIFY(std::abs(plan.sizeMm.width() - surface.width() * obtainedMm) < 1e-9);
    QVERIFY(std::abs(plan.sizeMm.height() - surface.height() * obtainedMm) < 1e-9);
    QVERIFY(plan.warning.isEmpty()); // black on white
}

void TestExport::filesScanAtTheirSize_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("barcodeFormat");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<Format>("format");
    QTest::addColumn<double>("moduleMm");
    QTest::addColumn<int>("dpi");
    for (const Symbol& s : kSymbols)
        for (const Format f : {Format::Png, Format::Tiff, Format::Svg, Format::Pdf})
            for (const auto& [mm, dpi] : {std::pair{0.33, 300}, std::pair{0.5, 203}})
                QTest::addRow("%s %s %.2f mm %d dpi", s.symbology, qPrintable(output::formatName(f)), mm, dpi)
                    << QString::fromLatin1(s.symbology) << QString::fromLatin1(s.input) << int(s.format)
                    << QString::fromLatin1(s.decoded) << f << mm << dpi;
}

void TestExport::filesScanAtTheirSize()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(int, barcodeFormat);
    QFETCH(QString, decoded);
    QFETCH(Format, format);
    QFETCH(double, moduleMm);
    QFETCH(int, dpi);
    Window w(m_dir.path());
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    const draw::Surface& surface = shown(w, symbology);
    const QImage source = surface.Image();
    QVERIFY(!testing::darkColumns(source, kBarRow).empty());

    ExportSettings settings;
    settings.format = format;
    settings.moduleMm = moduleMm;
    settings.dpi = dpi;
    const QString file = path(QStringLiteral("scan.") + output::formatSuffix(format));
    const output::SaveResult saved = output::write(surface, settings, file);
    QVERIFY2(saved.saved && saved.error.isEmpty(), qPrintable(saved.error));
    const double dotMm = kMmPerInch / dpi; // one device dot at the chosen resolution
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);

    QImage picture; // the file as a scanner sees it
    double moduleInFile = 0;
    if (format == Format::Png || format == Format::Tiff) {
        QImageReader reader(file);
        QCOMPARE(reader.format(), output::formatSuffix(format).toLatin1());
        picture = reader.read();
        const int k = output::plan(surface, settings).pixelsPerModule;
        QCOMPARE(picture.size(), source.size() * k);
        // Every bar exactly k pixels per module, none resampled.
        QCOMPARE(testing::darkColumns(picture, kBarRow * k + k / 2),
                 widened(testing::darkColumns(source, kBarRow), k));
        const double fileDpi = picture.dotsPerMeterX() * kMmPerInch / 1000.0;
        QVERIFY2(std::abs(fileDpi - dpi) < 0.01, qPrintable(QString::number(fileDpi)));
        moduleInFile = measuredPixelsPerModule(picture, kBarRow * k + k / 2, source) * kMmPerInch / fileDpi;
        QCOMPARE(impurePixel(picture, source, black, white, 0), QString());
    } else if (format == Format::Svg) {
        const QByteArray svg = readAll(file);
        const SvgFacts facts = readSvg(svg);
        // The file says its size in millimetres and draws in millimetres.
        QVERIFY(std::abs(facts.sizeMm.width() - source.width() * moduleMm) < 0.01);
        QVERIFY(std::abs(facts.sizeMm.height() - source.height() * moduleMm) < 0.01);
        QVERIFY(std::abs(facts.viewBox.width() - source.width() * moduleMm) < 1e-6);
        QVERIFY(std::abs(facts.viewBox.height() - source.height() * moduleMm) < 1e-6);
        QCOMPARE(facts.fills, (QSet<QString>{QStringLiteral("#000000"), QStringLiteral("#ffffff")}));
        moduleInFile = facts.sizeMm.width() / source.width();
        // Rasterised at whole pixels per module it gives the surface's bars back.
        constexpr int k = 3;
        picture = renderSvg(svg, source.size() * k);
        QCOMPARE(testing::darkColumns(picture, kBarRow * k + 1),
                 widened(testing::darkColumns(source, kBarRow), k));
    } else {
        const QSizeF page = pdfPageSizePoints(file);
        // A page is whole points: the symbol's size, rounded up.
        QVERIFY2(page.width() >= source.width() * moduleMm / kMmPerInch * 72 - 1e-6 &&
                     page.width() < source.width() * moduleMm / kMmPerInch * 72 + 1,
                 qPrintable(QString::number(page.width())));
        QVERIFY(page.height() >= source.height() * moduleMm / kMmPerInch * 72 - 1e-6 &&
                page.height() < source.height() * moduleMm / kMmPerInch * 72 + 1);
        constexpr int renderDpi = 600;
        picture = renderPdf(file, renderDpi, path(QStringLiteral("scan-pdf")));
        QVERIFY(!picture.isNull());
        const int row = int((kBarRow + 0.5) * moduleMm / kMmPerInch * renderDpi);
        moduleInFile = measuredPixelsPerModule(picture, row, source) * kMmPerInch / renderDpi;
        QCOMPARE(impurePixel(picture, source, black, white, 0), QString());
    }
    QVERIFY2(std::abs(moduleInFile - moduleMm) <= dotMm,
             qPrintable(QStringLiteral("module %1 mm in the file").arg(moduleInFile)));
    QCOMPARE(QString::fromStdString(scan(picture, ZXing::BarcodeFormat(barcodeFormat))), decoded);
}

void TestExport::pixelFilesCarryTheirResolution_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("dpi");
    for (const Format f : {Format::Png, Format::Bmp, Format::Tiff})
        for (const int dpi : {203, 300, 600})
            QTest::addRow("%s %d dpi", qPrintable(output::formatName(f)), dpi) << f << dpi;
}

void TestExport::pixelFilesCarryTheirResolution()
{
    QFETCH(Format, format);
    QFETCH(int, dpi);
    // Every format the help and the README name; TIFF is Qt's image-formats plugin.
    QVERIFY2(output::isAvailable(format), "no writer: scripts/install-deps.sh installs qt6-image-formats-plugins");
    Window w(m_dir.path());
    w->Text1->setText(QStringLiteral("DPI"));
    ExportSettings settings;
    settings.format = format;
    settings.moduleMm = 0.25;
    settings.dpi = dpi;
    const QString file = path(QStringLiteral("dpi.") + output::formatSuffix(format));
    QVERIFY(output::write(w->Picture1(), settings, file).saved);
    QImageReader reader(file);
    QCOMPARE(reader.format(), output::formatSuffix(format).toLatin1());
    const QImage image = reader.read();
    const int k = output::plan(w->Picture1(), settings).pixelsPerModule;
    QCOMPARE(image.size(), w->Picture1().Image().size() * k);
    // Stored as dots per metre (PNG, BMP) or per inch (TIFF): the nearest either way.
    QVERIFY(std::abs(image.dotsPerMeterX() - dpi / kMmPerInch * 1000) <= 1);
    QVERIFY(std::abs(image.dotsPerMeterY() - dpi / kMmPerInch * 1000) <= 1);
}

void TestExport::labelIsSetAtTheNewSizeNotEnlarged()
{
    Window w(m_dir.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QStringLiteral("Sharp label"));
    const QImage source = w->Picture1().Image();
    ExportSettings settings;
    settings.moduleMm = 0.33;
    settings.dpi = 300;
    const output::Rendered r = output::render(w->Picture1(), settings);
    QVERIFY(r.ok());
    constexpr int k = 4;
    QCOMPARE(r.image.size(), source.size() * k);
    const QImage enlarged = source.convertToFormat(QImage::Format_RGB32)
                                .scaled(source.size() * k, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    // The bars are the window's, pixel for pixel, only larger.
    QVERIFY(testing::samePixels(r.image.copy(0, 0, r.image.width(), 48 * k),
                                enlarged.copy(0, 0, enlarged.width(), 48 * k)));
    // The label has ink, and finer detail than k x k blocks could give.
    const QRect label(0, 52 * k, r.image.width(), r.image.height() - 52 * k);
    QVERIFY(testing::anyDark(r.image, label));
    bool finer = false;
    for (int y = label.top(); y + k <= label.bottom() && !finer; y += k)
        for (int x = 0; x + k <= label.right() && !finer; x += k)
            for (int i = 0; i < k * k && !finer; ++i)
                finer = r.image.pixel(x + i % k, y + i / k) != r.image.pixel(x, y);
    QVERIFY(finer);
    QCOMPARE(r.image.dotsPerMeterX(), 11811);
}

void TestExport::vectorLabelSitsWhereTheWindowShowsIt_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::newRow("Code 128") << "Code 128"
                              << "Sharp label";
    QTest::newRow("EAN-13, digits one by one") << "EAN-13"
                                               << "123456789012";
    QTest::newRow("UPC-A, over its background picture") << "UPC-A"
                                                        << "09736339584";
}

// The SVG writes text as text: at the window's size it must cover the rows and
// columns the window's own label covers (a baseline or a font size in the
// wrong unit moves or shrinks it by many pixels).
void TestExport::vectorLabelSitsWhereTheWindowShowsIt()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    Window w(m_dir.path());
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    const draw::Surface& surface = symbology == u"UPC-A"    ? w->picUPC()
                                   : symbology == u"EAN-13" ? w->picEan()
                                                            : w->Picture1();
    const QImage source = surface.Image();
    ExportSettings settings;
    settings.format = Format::Svg;
    settings.moduleMm = 0.5;
    const output::Encoded svg = output::encode(surface, settings);
    QVERIFY(svg.ok());
    const QImage picture = renderSvg(svg.bytes, source.size());
    // Ink below the tallest bars' bottom half: label and guard-bar ends alone.
    const auto inkBelow = [](const QImage& image, int top) {
        QRect box;
        for (int y = top; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 128 && qGray(image.pixel(x, y)) < 128)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect want = inkBelow(source.convertToFormat(QImage::Format_ARGB32), source.height() * 3 / 4);
    const QRect got = inkBelow(picture, source.height() * 3 / 4);
    QVERIFY(!want.isEmpty());
    const auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
    QVERIFY2(
        near(got.left(), want.left()) && near(got.right(), want.right()) && near(got.top(), want.top()) &&
            near(got.bottom(), want.bottom()),
        qPrintable(QStringLiteral("label ink at %1,%2 to %3,%4 in the file, %5,%6 to %7,%8 in the window")
                       .arg(got.left())
                       .arg(got.top())
                       .arg(got.right())
                       .arg(got.bottom())
                       .arg(want.left())
                       .arg(want.top())
                       .arg(want.right())
                       .arg(want.bottom())));
}

void TestExport::wideSymbolsKeepEveryBar()
{
    // Far beyond 16-bit coordinates: the last bars must land as the first did.
    Window w(m_dir.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    QString data;
    for (int i = 0; i < 800; ++i)
        data += QChar(u'!' + (i * 7) % 90);
    w->Text1->setText(data);
    const QImage source = w->Picture1().Image();
    ExportSettings settings;
    settings.moduleMm = 0.33;
    settings.dpi = 300; // 4 pixels a module
    const output::Rendered r = output::render(w->Picture1(), settings);
    QVERIFY(r.ok());
    QVERIFY(r.image.width() > 32768);
    QCOMPARE(testing::darkColumns(r.image, kBarRow * 4 + 2),
             widened(testing::darkColumns(source, kBarRow), 4));
}

void TestExport::coloursAndTransparencyReachTheFile_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QColor>("foreground");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<bool>("warned");
    const QColor navy(0x10, 0x20, 0x60), cream(0xff, 0xf0, 0xc0);
    const QColor grey(0x80, 0x80, 0x80), lighter(0x90, 0x90, 0x90);
    for (const Format f : {Format::Png, Format::Svg, Format::Pdf, Format::Bmp}) {
        const QByteArray name = output::formatName(f).toLatin1();
        QTest::addRow("%s navy on cream", name.data()) << f << navy << cream << false << false;
        QTest::addRow("%s grey on grey, written anyway", name.data())
            << f << grey << lighter << false << true;
        QTest::addRow("%s cream on navy, written anyway", name.data()) << f << cream << navy << false << true;
        if (output::allowsTransparency(f))
            QTest::addRow("%s navy on nothing", name.data()) << f << navy << cream << true << false;
    }
}

void TestExport::coloursAndTransparencyReachTheFile()
{
    QFETCH(Format, format);
    QFETCH(QColor, foreground);
    QFETCH(QColor, background);
    QFETCH(bool, transparent);
    QFETCH(bool, warned);
    Window w(m_dir.path());
    select(w.w.get(), QStringLiteral("EAN-13"));
    w->Text1->setText(QStringLiteral("123456789012"));
    const draw::Surface& surface = w->picEan();
    const QImage source = surface.Image();
    ExportSettings settings;
    settings.format = format;
    settings.moduleMm = 0.254;
    settings.dpi = 300; // 3 pixels a module
    settings.foreground = foreground;
    settings.background = background;
    settings.transparent = transparent;
    const output::ExportPlan plan = output::plan(surface, settings);
    QVERIFY(plan.ok());
    QCOMPARE(!plan.warning.isEmpty(), warned);
    const QString file = path(QStringLiteral("colours.") + output::formatSuffix(format));
    QVERIFY(output::write(surface, settings, file).saved);

    const QRgb fg = foreground.rgb();
    const QRgb bg = transparent ? qRgba(0, 0, 0, 0) : background.rgb();
    constexpr int k = 3;
    QImage picture;
    int tolerance = 0;
    if (format == Format::Svg) {
        const QByteArray svg = readAll(file);
        // Nothing is painted in the background colour when it is left out.
        QSet<QString> expected{foreground.name()};
        if (!transparent)
            expected << background.name();
        QCOMPARE(readSvg(svg).fills, expected);
        picture = renderSvg(svg, source.size() * k);
        tolerance = 1; // the renderer's edges
    } else if (format == Format::Pdf) {
        picture = renderPdf(file, 300, path(QStringLiteral("colours-pdf")), transparent);
        tolerance = 1; // colours pass through fractions in the file
    } else {
        picture = QImage(file);
        QCOMPARE(picture.hasAlphaChannel(), transparent);
    }
    QVERIFY(!picture.isNull());
    if (format == Format::Pdf) {
        // The page is whole points, up to one more than the symbol.
        QVERIFY(picture.width() >= source.width() * k &&
                picture.width() <= source.width() * k + 300 / 72 + 1);
        QVERIFY(picture.height() >= source.height() * k &&
                picture.height() <= source.height() * k + 300 / 72 + 1);
    } else {
        QCOMPARE(picture.size(), source.size() * k);
    }
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    // Pixels of the middle of a bar and of a space, read off the window's picture.
    const std::vector<int> bars = testing::darkColumns(source, kBarRow);
    int space = bars.front() + 1;
    while (std::find(bars.begin(), bars.end(), space) != bars.end())
        ++space;
    const int y = kBarRow * k + 1;
    const auto fgTransparentZero = [&](QRgb p) { return transparent && qAlpha(p) == 0; };
    QVERIFY2(near(argb.pixel(bars.front() * k + 1, y), fg, tolerance),
             qPrintable(QString::number(argb.pixel(bars.front() * k + 1, y), 16)));
    const QRgb gap = argb.pixel(space * k + 1, y);
    QVERIFY2(fgTransparentZero(gap) || near(gap, bg, tolerance), qPrintable(QString::number(gap, 16)));
    // Far from the symbol: background or nothing.
    const QRgb corner = argb.pixel(argb.width() - 2, 1);
    QVERIFY2(fgTransparentZero(corner) || near(corner, bg, tolerance),
             qPrintable(QString::number(corner, 16)));
    if (!transparent)
        QCOMPARE(impurePixel(picture, source, fg, bg, tolerance), QString());
}

void TestExport::refusesWhatItCannotWrite_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<double>("moduleMm");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<QString>("reason"); // part of the message; empty when it is written
    QTest::newRow("no module") << Format::Png << 0.0 << 300 << false << "module width";
    QTest::newRow("negative module") << Format::Svg << -0.33 << 300 << false << "module width";
    QTest::newRow("module not a number") << Format::Pdf << std::nan("") << 300 << false << "module width";
    QTest::newRow("module over an inch") << Format::Png << 30.0 << 300 << false << "module width";
    // Below what a file can show; a vector file would get a page of nothing.
    QTest::newRow("module under the floor") << Format::Svg << 0.009 << 300 << false << "module width";
    QTest::newRow("module at the floor") << Format::Pdf << 0.01 << 300 << false << "";
    QTest::newRow("no resolution") << Format::Png << 0.33 << 0 << false << "resolution";
    QTest::newRow("transparent bitmap") << Format::Bmp << 0.33 << 300 << true << "transparent";
    QTest::newRow("SVG needs no resolution") << Format::Svg << 0.33 << 0 << false << "";
    QTest::newRow("transparent PNG") << Format::Png << 0.33 << 300 << true << "";
    // About 50,000 x 12,000 pixels.
    QTest::newRow("too many pixels") << Format::Png << 25.0 << 600 << false << "too large";
    // Over 200 inches wide, the largest page a PDF reader must take; SVG has no such limit.
    QTest::newRow("PDF page too long") << Format::Pdf << 25.0 << 300 << false << "PDF page";
    QTest::newRow("SVG of any length") << Format::Svg << 25.0 << 300 << false << "";
}

void TestExport::refusesWhatItCannotWrite()
{
    QFETCH(Format, format);
    QFETCH(double, moduleMm);
    QFETCH(int, dpi);
    QFETCH(bool, transparent);
    QFETCH(QString, reason);
    Window w(m_dir.path());
    w->Text1->setText(QStringLiteral("REFUSED"));
    ExportSettings settings;
    settings.format = format;
    settings.moduleMm = moduleMm;
    settings.dpi = dpi;
    settings.transparent = transparent;
    const output::ExportPlan plan = output::plan(w->Picture1(), settings);
    QVERIFY2(reason.isEmpty() ? plan.ok() : plan.error.contains(reason), qPrintable(plan.error));
    const QString file = path(QStringLiteral("refused.") + output::formatSuffix(format));
    QFile::remove(file);
    const output::SaveResult saved = output::write(w->Picture1(), settings, file);
    QCOMPARE(saved.saved, reason.isEmpty());
    QCOMPARE(saved.error, plan.error);
    QCOMPARE(QFileInfo::exists(file), reason.isEmpty());
    QCOMPARE(output::encode(w->Picture1(), settings).bytes.isEmpty(), !reason.isEmpty());
}

void TestExport::tooLargeSaysWhatWouldHelp_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<double>("moduleMm");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("surface");
    QTest::addColumn<QString>("advice");
    // 80 million pixels fit at one pixel a module, not at two.
    QTest::newRow("two pixels a module") << Format::Png << 0.5 << 96 << QSize(8000, 10000)
                                         << "choose a narrower module or a lower resolution";
    // Fewer than one pixel a module there is not: only another format helps.
    QTest::newRow("one pixel a module, PNG") << Format::Png << 0.2 << 96 << QSize(2000000, 100)
                                             << "the symbol is too long for a PNG file";
    QTest::newRow("one pixel a module, BMP") << Format::Bmp << 0.01 << 1 << QSize(2000000, 100)
                                             << "the symbol is too long for a BMP file";
}

void TestExport::tooLargeSaysWhatWouldHelp()
{
    QFETCH(Format, format);
    QFETCH(double, moduleMm);
    QFETCH(int, dpi);
    QFETCH(QSize, surface);
    QFETCH(QString, advice);
    const output::ExportPlan plan = output::plan(surface, {format, moduleMm, dpi});
    QVERIFY2(plan.error.contains(advice), qPrintable(plan.error));
    QVERIFY2(plan.error.contains(QLatin1String("too large")), qPrintable(plan.error));
    if (plan.pixelsPerModule == 1)
        QVERIFY2(!plan.error.contains(QLatin1String("narrower")), qPrintable(plan.error));
}

void TestExport::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("cause");
    for (const Format f : {Format::Png, Format::Svg, Format::Pdf, Format::Bmp})
        for (const char* cause : {"full disk", "read-only folder", "missing folder"})
            QTest::addRow("%s, %s", qPrintable(output::formatName(f)), cause)
                << f << QString::fromLatin1(cause);
}

void TestExport::failedWriteKeepsTheOldFile()
{
    QFETCH(Format, format);
    QFETCH(QString, cause);
    Window w(m_dir.path());
    w->Text1->setText(QStringLiteral("KEEP"));
    ExportSettings settings;
    settings.format = format;
    QTemporaryDir folder;
    const QString name = QStringLiteral("old.") + output::formatSuffix(format);
    QString file = QDir(folder.path()).filePath(name);
    QVERIFY(writeFile(file, "previous contents"));
    output::SaveResult saved;
    if (cause == u"full disk") {
        TinyFileLimit limit;
        saved = output::write(w->Picture1(), settings, file);
    } else if (cause == u"read-only folder") {
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        {
            WithoutFileOverride notRoot;
            saved = output::write(w->Picture1(), settings, file);
        }
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner));
    } else {
        file = QDir(folder.path()).filePath(QStringLiteral("gone/") + name);
        saved = output::write(w->Picture1(), settings, file);
    }
    QVERIFY(!saved.saved);
    QVERIFY(!saved.error.isEmpty());
    QCOMPARE(readAll(QDir(folder.path()).filePath(name)), QByteArray("previous contents"));
    // No temporary file left beside it, no folder made.
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{name});
}

void TestExport::printsAtTrueSize_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("barcodeFormat");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<double>("moduleMm");
    QTest::addColumn<int>("dots"); // per module at 600 dpi
    QTest::addColumn<QString>("caption");
    QTest::newRow("Code 128, 0.33 mm, captioned")
        << "Code 128"
        << "Print 42" << int(ZXing::BarcodeFormat::Code128) << "Print 42" << 0.33 << 8 << "Print 42";
    QTest::newRow("EAN-13, 0.5 mm") << "EAN-13"
                                    << "123456789012" << int(ZXing::BarcodeFormat::EAN13) << "1234567890128"
                                    << 0.5 << 12 << "";
    QTest::newRow("UPC-A, 0.25 mm, captioned") << "UPC-A"
                                               << "09736339584" << int(ZXing::BarcodeFormat::UPCA)
                                               << "097363395843" << 0.25 << 6 << "UPC-A 097363395843";
}

void TestExport::printsAtTrueSize()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(int, barcodeFormat);
    QFETCH(QString, decoded);
    QFETCH(double, moduleMm);
    QFETCH(int, dots);
    QFETCH(QString, caption);
    Window w(m_dir.path());
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    const draw::Surface& surface = shown(w, symbology);
    const QImage source = surface.Image();

    constexpr int dpi = 600;
    const QString pdf = path(QStringLiteral("print.pdf"));
    QFile::remove(pdf);
    w.platform->pdfPath = pdf;
    const std::unique_ptr<QPrinter> device = w.platform->printer();
    QPrinter& printer = *device;
    printer.setResolution(dpi);
    const output::PrintResult printed = output::printSymbol(printer, surface, moduleMm, caption);
    QVERIFY2(printed.ok(), qPrintable(printed.error));
    QCOMPARE(printed.dotsPerModuleX, dots);
    QCOMPARE(printed.dotsPerModuleY, dots);
    QVERIFY(std::abs(printed.moduleMm - dots * kMmPerInch / dpi) < 1e-9);

    // The symbol's corner is the printable area's.
    const QPoint margin = printer.pageLayout().paintRectPixels(dpi).topLeft();
    const QSize symbol = source.size() * dots;
    const QRect area(margin, QSize(symbol.width() + 200, symbol.height() + 200));
    const QImage page = renderPdf(pdf, dpi, path(QStringLiteral("print-page")), false, area);
    QVERIFY(!page.isNull());
    const int row = kBarRow * dots + dots / 2;
    const std::vector<int> expected = widened(testing::darkColumns(source, kBarRow), dots);
    const std::vector<int> got = testing::darkColumns(page, row);
    QVERIFY(!got.empty());
    // Within a printer dot of where whole dots per module put them.
    QVERIFY2(std::abs(got.front() - expected.front()) <= 1 && std::abs(got.back() - expected.back()) <= 1,
             qPrintable(QStringLiteral("%1..%2, not %3..%4")
                            .arg(got.front())
                            .arg(got.back())
                            .arg(expected.front())
                            .arg(expected.back())));
    const double measured = measuredPixelsPerModule(page, row, source) * kMmPerInch / dpi;
    QVERIFY2(std::abs(measured - moduleMm) <= kMmPerInch / dpi, qPrintable(QString::number(measured)));
    QCOMPARE(QString::fromStdString(scan(page, ZXing::BarcodeFormat(barcodeFormat))), decoded);
    // The caption sits under the symbol, and only when asked for.
    const QRect under(0, symbol.height(), page.width(), page.height() - symbol.height());
    QCOMPARE(testing::anyDark(page, under), !caption.isEmpty());
    const QString text =
        QString::fromUtf8(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).output);
    if (!caption.isEmpty())
        QVERIFY2(text.contains(caption), qPrintable(text));
    QCOMPARE(QString::fromLatin1(run(QStringLiteral("pdfinfo"), {pdf}).output)
                 .contains(QStringLiteral("Pages:           1")),
             true);
}

void TestExport::printFailuresAreReported()
{
    Window w(m_dir.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QStringLiteral("Far too wide for any page at two millimetres a module"));
    const QString pdf = path(QStringLiteral("too-wide.pdf"));
    w.platform->pdfPath = pdf;
    std::unique_ptr<QPrinter> printer = w.platform->printer();
    printer->setResolution(600);
    const output::PrintResult tooWide = output::printSymbol(*printer, w->Picture1(), 2.0);
    QVERIFY(!tooWide.ok());
    QVERIFY2(tooWide.error.contains(QStringLiteral("printable area")), qPrintable(tooWide.error));
    QVERIFY(!QFileInfo::exists(pdf));
    QVERIFY(!output::printSymbol(*printer, w->Picture1(), 0.0).ok());
    QVERIFY(!QFileInfo::exists(pdf));
    // Narrow enough, the same symbol prints.
    QVERIFY(output::printSymbol(*printer, w->Picture1(), 0.2).ok());
    QVERIFY(QFileInfo::exists(pdf));

    w.platform->brokenPrinter = true;
    printer = w.platform->printer();
    const output::PrintResult broken = output::printSymbol(*printer, w->Picture1(), 0.2);
    QVERIFY(!broken.ok());
    QVERIFY(!broken.error.isEmpty());
}

void TestExport::onePixelIsOneModule_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("modules"); // from the first bar to the end of the last
    // Start, ten characters and the check of 11 modules each, then the stop's 13.
    QTest::newRow("Code 128") << "Code 128"
                              << "Size 42 mm" << 12 * 11 + 13;
    QTest::newRow("EAN-13") << "EAN-13"
                            << "123456789012" << 95;
    QTest::newRow("UPC-A") << "UPC-A"
                           << "09736339584" << 95;
}

// The module width given in millimetres is the width of one surface pixel:
// that holds only while every renderer draws a module one pixel wide.
void TestExport::onePixelIsOneModule()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(int, modules);
    Window w(m_dir.path());
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    const std::vector<int> bars = testing::darkColumns(shown(w, symbology).Image(), kBarRow);
    QVERIFY(!bars.empty());
    QCOMPARE(bars.back() + 1 - bars.front(), modules);
}

namespace {

// A picture that mixes long runs (bars), runs just around the matcher's
// limits, and noise with every byte value (antialiased text at its worst).
QImage pngSample(QImage::Format format, int width, int height, bool noise, const QList<QRgb>& table = {})
{
    QImage image(width, height, format);
    if (!table.isEmpty())
        image.setColorTable(table);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        const int bytes = int(image.bytesPerLine());
        for (int x = 0; x < bytes; ++x) {
            const int stripe = (x / (y % 5 + 1)) % 2; // runs of 1 to 5 bytes
            row[x] = noise ? uchar(random.bounded(256))
                           : uchar(y < height / 2 ? (x < width * 3 / 4 ? 0 : 255) : stripe * 200);
        }
    }
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    return image;
}

QList<QRgb> inkOnWhite()
{
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table << qRgb(255 - i, 255 - i, 255 - i);
    return table;
}

} // namespace

void TestExport::pngHoldsEveryPixel_data()
{
    QTest::addColumn<QImage>("image");
    QList<QRgb> colours;
    for (int i = 0; i < 256; ++i)
        colours << qRgba(i, 255 - i, i / 2, i % 3 ? 255 : i); // some translucent: a tRNS chunk
    QTest::newRow("ink on white, bars") << pngSample(QImage::Format_Indexed8, 1000, 40, false, inkOnWhite());
    QTest::newRow("ink on white, noise") << pngSample(QImage::Format_Indexed8, 301, 9, true, inkOnWhite());
    QTest::newRow("narrower than a word") << pngSample(QImage::Format_Indexed8, 7, 5, true, inkOnWhite());
    QTest::newRow("one pixel") << pngSample(QImage::Format_Indexed8, 1, 1, false, inkOnWhite());
    QTest::newRow("grey") << pngSample(QImage::Format_Grayscale8, 517, 33, true);
    QTest::newRow("palette with alpha") << pngSample(QImage::Format_Indexed8, 259, 20, true, colours);
    QTest::newRow("colour, translucent") << pngSample(QImage::Format_ARGB32, 70, 11, true);
    // Sums of a megabyte: the checksum is reduced as it goes, never overflows.
    QTest::newRow("large") << pngSample(QImage::Format_Indexed8, 4000, 300, false, inkOnWhite());
}

// The writer compresses with its own run-length coder: every pixel comes back
// through a standard reader, and zlib accepts the stream and its checksum.
void TestExport::pngHoldsEveryPixel()
{
    QFETCH(QImage, image);
    const output::PngBytes png = output::encodePng(image);
    QCOMPARE(png.error, QString());
    QImage back;
    QVERIFY(back.loadFromData(png.bytes, "PNG"));
    QCOMPARE(back.size(), image.size());
    QCOMPARE(back.dotsPerMeterX(), image.dotsPerMeterX());
    const QImage want = image.convertToFormat(QImage::Format_ARGB32);
    const QImage got = back.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            if (want.pixel(x, y) != got.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 for %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(got.pixel(x, y), 8, 16)
                                     .arg(want.pixel(x, y), 8, 16)));
    // A row that repeats the one above is not filtered byte by byte; the row
    // after it must not see bytes an earlier picture left in the buffer.
    QImage earlier(3, 2, QImage::Format_Grayscale8);
    earlier.fill(0);
    earlier.scanLine(1)[2] = 2;
    QVERIFY(output::encodePng(earlier).error.isEmpty());
    QImage repeated(3, 3, QImage::Format_Grayscale8);
    repeated.fill(0);
    std::memset(repeated.scanLine(2), 2, 3);
    QImage again;
    QVERIFY(again.loadFromData(output::encodePng(repeated).bytes, "PNG"));
    QVERIFY(testing::samePixels(again.convertToFormat(QImage::Format_ARGB32),
                                repeated.convertToFormat(QImage::Format_ARGB32)));
    // The image data on its own, through zlib, which checks the Adler-32 sum.
    const qsizetype at = png.bytes.indexOf("IDAT");
    QVERIFY(at > 4);
    const uchar* length = reinterpret_cast<const uchar*>(png.bytes.constData() + at - 4);
    const qsizetype size = qsizetype(length[0]) << 24 | length[1] << 16 | length[2] << 8 | length[3];
    const int bytesPerPixel = image.format() == QImage::Format_ARGB32 ? 4 : 1;
    const qsizetype raw = (qsizetype(image.width()) * bytesPerPixel + 1) * image.height();
    QByteArray withSize(4, 0);
    for (int b = 0; b < 4; ++b)
        withSize[b] = char(raw >> (24 - 8 * b));
    QCOMPARE(qUncompress(withSize + png.bytes.mid(at + 4, size)).size(), raw);
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
