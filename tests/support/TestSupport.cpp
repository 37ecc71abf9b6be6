#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>

#include <ZXing/ReadBarcode.h>

namespace testing {

bool samePixels(const QImage& a, const QImage& b)
{
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

bool isDark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

ZXing::Result scanFramed(const QImage& image, ZXing::BarcodeFormat format, const ScanSettings& settings)
{
    constexpr int kQuiet = 40;
    const QImage scaled = image.scaled(image.width() * settings.scale, image.height() * settings.scale,
                                       Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage framed(scaled.width() + 2 * kQuiet, scaled.height() + 2 * kQuiet, QImage::Format_Grayscale8);
    framed.fill(255);
    {
        QPainter p(&framed);
        p.drawImage(kQuiet, kQuiet, scaled);
    }
    const ZXing::ImageView view(framed.constBits(), framed.width(), framed.height(), ZXing::ImageFormat::Lum,
                                int(framed.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    hints.setTryRotate(settings.rotated);
    hints.setIsPure(settings.pure);
    if (settings.addOns)
        hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    return ZXing::ReadBarcode(view, hints);
}

std::string decode(const QImage& image, ZXing::BarcodeFormat format, int scale)
{
    const ZXing::Result result = scanFramed(image, format, {.scale = scale});
    return result.isValid() ? result.text() : std::string("<no symbol>");
}

std::vector<int> darkColumns(const QImage& image, int row)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (isDark(image.pixel(x, row)))
            columns.push_back(x);
    return columns;
}

std::pair<int, int> darkRows(const QImage& image, int x)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (isDark(image.pixel(x, y))) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    return {first, last};
}

bool anyDark(const QImage& image, const QRect& area)
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (isDark(image.pixel(x, y)))
                return true;
    return false;
}

QMessageBox::StandardButton FakePlatform::message(QMessageBox::Icon icon, const QString& title,
                                                  const QString& text, QMessageBox::StandardButtons buttons)
{
    messages.push_back({icon, title, text, buttons});
    if (answers.empty())
        return QMessageBox::Ok;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
}

std::unique_ptr<QPrinter> FakePlatform::printer()
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    if (brokenPrinter)
        printer->setOutputFileName(QDir(m_folder).filePath(QStringLiteral("no-such-dir/out.pdf")));
    else
        printer->setOutputFileName(pdfPath.isEmpty() ? QDir(m_folder).filePath(QStringLiteral("print.pdf"))
                                                     : pdfPath);
    return printer;
}

QString FakePlatform::saveFileName(QWidget*, const QString&, const QString& proposed, const QString& filter)
{
    proposedFiles.push_back(proposed);
    fileFilters.push_back(filter);
    return chosenFile.value_or(proposed);
}

bool FakePlatform::setUpPrinter(QPrinter&, QWidget*)
{
    ++printDialogs;
    return !cancelPrint;
}

void FakePlatform::previewPrint(QPrinter& printer, QWidget*, const std::function<void(QPrinter&)>& paint)
{
    ++previews;
    paint(printer);
}

const draw::Surface& drawnOn(const BarcodeGenerator* w, const QString& symbology)
{
    const std::optional<output::Symbology> s = output::symbologyNamed(symbology);
    Q_ASSERT(s);
    return w->surface(output::surfaceFor(*s));
}

void select(BarcodeGenerator* w, const QString& name)
{
    const std::pair<const char*, QRadioButton*> buttons[] = {
        {"Code 39", w->Option1[0]},  {"Interleaved 2 of 5", w->Option1[1]},
        {"Code 128", w->Option1[2]}, {"Codabar", w->Option1[3]},
        {"EAN-13", w->Option2},      {"JAN-13", w->Option7},
        {"ISBN", w->Option8},        {"UPC-A", w->Option3},
    };
    for (const auto& [label, button] : buttons)
        if (name == QLatin1String(label)) {
            button->click();
            return;
        }
    w->Option4->setChecked(true);
    w->Option4_Click();
}

Window::Window(const QString& folder)
{
    auto fake = std::make_unique<FakePlatform>(folder.isEmpty() ? QDir::tempPath() : folder);
    platform = fake.get();
    w = std::make_unique<BarcodeGenerator>(std::move(fake));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

} // namespace testing
