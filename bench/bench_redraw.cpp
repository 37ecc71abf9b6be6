// One redraw per symbology (encode, draw, label) against libzint's encode and
// raster for the same data, a full Text1_Change through the window, and the
// start-up time. Prints ratios.
//
// libzint drops the human-readable text from its raster below scale 1, so it is
// run twice: at scale 0.5 (one pixel per module, bars alone) and at scale 1
// (two pixels per module, with its text). Our redraw always sets the label.
#include "app/BarcodeGenerator.h"
#include "draw/Surface.h"
#include "ean/Ean.h"
#include "formats/Export.h"
#include "ean/UpcCheck.h"
#include "jobs/Fonts.h"
#include "jobs/Surfaces.h"
#include "linear/Codabar.h"
#include "linear/Code128.h"
#include "linear/Code39.h"
#include "linear/Interleaved2of5.h"
#include "modUPC/UPCCode.h"
#include "verify/ScanCheck.h"
#include "zint/Symbols.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>

#include <benchmark/benchmark.h>
#include <zint.h>

#include <array>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <map>
#include <string>

namespace {

constexpr int kRedrawRepetitions = 15;

struct Data {
    const char* name;
    QString text; // the last three characters are replaced by a counter
    int zintSymbology;
};

const Data kData[] = {
    {"Code128", QStringLiteral("Shipment 4711-0815 / Lot A23 / Best before 2027 B"), BARCODE_CODE128B},
    {"Code39", QStringLiteral("PART-0042-REV-B 17 XYZ"), BARCODE_CODE39},
    {"Interleaved2of5", QStringLiteral("12345678901231"), BARCODE_C25INTER},
    {"Codabar", QStringLiteral("1234-5678/90.12+"), BARCODE_CODABAR},
    {"EAN13", QStringLiteral("123456789012"), BARCODE_EANX},
    {"UPCA", QStringLiteral("09736339584"), BARCODE_UPCA},
};

// The symbologies libzint encodes: our draw on the surface and the picture
// made from it at two pixels a module, against libzint's own encode and
// raster at its scale 1, which is two pixels a module too. Both with the
// standard's quiet zones.
struct LibraryData {
    const char* name;
    const char* kind;
    int length;
    int zintSymbology;
};

const LibraryData kLibraryData[] = {
    {"QRCode300", "qr", 300, BARCODE_QRCODE},
    {"DataMatrix100", "datamatrix", 100, BARCODE_DATAMATRIX},
    {"PDF417_200", "pdf417", 200, BARCODE_PDF417},
};

QString libraryText(int length)
{
    const QString sentence = QStringLiteral("Asset 4711 / Building B, Room 17 / checked 2026-12-11 by J. Doe. ");
    QString text;
    while (text.size() < length)
        text += sentence;
    return text.left(length);
}

std::vector<QString> libraryVariants(int length)
{
    std::vector<QString> all;
    const QString text = libraryText(length);
    for (int i = 0; i < 1000; ++i)
        all.push_back(text.left(length - 3) + QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')));
    return all;
}

void oursLibrary(benchmark::State& state, const LibraryData& d)
{
    draw::Surface surface = output::makeSurface(output::SurfaceId::picSymbol);
    const zintsym::Kind* kind = zintsym::kindNamed(QString::fromLatin1(d.kind));
    output::ExportSettings settings;
    settings.moduleMm = 0.254;
    settings.dpi = 200; // two pixels a module
    const std::vector<QString> inputs = libraryVariants(d.length);
    size_t i = 0;
    for (auto _ : state) {
        const zintsym::Drawn drawn = zintsym::draw(surface, *kind, inputs[i++ % inputs.size()], {});
        const output::Rendered picture = output::render(surface, settings);
        if (!drawn.ok() || !picture.ok())
            state.SkipWithError("not drawn");
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}

void zintLibrary(benchmark::State& state, const LibraryData& d)
{
    std::vector<std::string> inputs;
    for (const QString& v : libraryVariants(d.length))
        inputs.push_back(v.toStdString());
    size_t i = 0;
    for (auto _ : state) {
        const std::string& text = inputs[i++ % inputs.size()];
        zint_symbol* symbol = ZBarcode_Create();
        symbol->symbology = d.zintSymbology;
        symbol->scale = 1.0f;
        symbol->input_mode = UNICODE_MODE;
        symbol->output_options = BARCODE_QUIET_ZONES;
        const int rc = ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(text.data()),
                                                  int(text.size()), 0);
        if (rc >= ZINT_ERROR)
            state.SkipWithError(symbol->errtxt);
        benchmark::DoNotOptimize(symbol->bitmap);
        ZBarcode_Delete(symbol);
    }
}

// A keystroke in a QR Code of a thousand characters: the draw alone, as the
// window's thread does it before the picture box paints.
void typingIntoLargeQr(benchmark::State& state)
{
    draw::Surface surface = output::makeSurface(output::SurfaceId::picSymbol);
    const zintsym::Kind* kind = zintsym::kindNamed(u"qr");
    const std::vector<QString> inputs = libraryVariants(1000);
    size_t i = 0;
    for (auto _ : state) {
        const zintsym::Drawn drawn = zintsym::draw(surface, *kind, inputs[i++ % inputs.size()], {});
        if (!drawn.ok())
            state.SkipWithError("not drawn");
        benchmark::DoNotOptimize(surface.pixels().constBits());
    }
}

// A thousand inputs that differ as typing makes them differ, so that no
// redraw finds its label already rasterised.
std::vector<QString> variants(const Data& d)
{
    std::vector<QString> all;
    for (int i = 0; i < 1000; ++i)
        all.push_back(d.text.left(d.text.size() - 3) + QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')));
    return all;
}

void ours(benchmark::State& state, const Data& d)
{
    using output::SurfaceId;
    draw::Surface picture = output::makeSurface(SurfaceId::Picture1);
    draw::Surface picEan = output::makeSurface(SurfaceId::picEan);
    draw::Surface picUPC = output::makeSurface(SurfaceId::picUPC);
    draw::Surface picUPCy = output::makeSurface(SurfaceId::picUPCy);
    modUPC::UpcForm form{.picUPC = picUPC, .picUPCy = picUPCy};
    const linear::Options o{1, 1, 1};
    const std::string name = d.name;
    const std::vector<QString> inputs = variants(d);
    size_t i = 0;
    for (auto _ : state) {
        const QString& text = inputs[i++ % inputs.size()];
        // As the window does it: EAN and UPC-A get their check digit first.
        draw::Surface* drawn = &picture;
        if (name == "Code128")
            linear::DrawCode128(picture, text, o);
        else if (name == "Code39")
            linear::DrawCode39(picture, text, o);
        else if (name == "Interleaved2of5")
            linear::DrawInterleaved2of5(picture, text, o);
        else if (name == "Codabar")
            linear::DrawCodabar(picture, text, o);
        else if (name == "EAN13") {
            ean::DrawEan(picEan, *ean::completeCode(text));
            drawn = &picEan;
        } else {
            modUPC::UPCCode(withUPCCheckDigit(text), form);
            drawn = &picUPC;
        }
        // The pixels of the surface drawn on, as the window paints them.
        benchmark::DoNotOptimize(drawn->pixels().constBits());
    }
}

void zint(benchmark::State& state, const Data& d, float scale)
{
    std::vector<std::string> inputs;
    for (const QString& v : variants(d))
        inputs.push_back(d.zintSymbology == BARCODE_CODABAR ? "A" + v.toStdString() + "A" : v.toStdString());
    size_t i = 0;
    for (auto _ : state) {
        const std::string& text = inputs[i++ % inputs.size()];
        zint_symbol* symbol = ZBarcode_Create();
        symbol->symbology = d.zintSymbology;
        symbol->scale = scale;
        symbol->show_hrt = 1;
        const int rc = ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(text.data()),
                                                  int(text.size()), 0);
        benchmark::DoNotOptimize(rc);
        benchmark::DoNotOptimize(symbol->bitmap);
        ZBarcode_Delete(symbol);
    }
}

// The longest text the input box takes, redrawn once the image has grown to
// it: what a paste costs on every later keystroke.
void longInput(benchmark::State& state, QChar character)
{
    draw::Surface picture = output::makeSurface(output::SurfaceId::Picture1);
    const std::array<QString, 2> inputs = {QString(32767, character),
                                           QString(32766, character) + QLatin1Char('9')};
    const linear::Options o{1, 1, 1};
    size_t i = 0;
    for (auto _ : state) {
        if (character == QLatin1Char('x'))
            linear::DrawCode128(picture, inputs[i++ % 2], o);
        else
            linear::DrawCodabar(picture, inputs[i++ % 2], o);
        benchmark::DoNotOptimize(picture.pixels().constBits());
    }
}

void text1Change(benchmark::State& state)
{
    BarcodeGenerator window;
    window.Option1[2]->click();
    const std::vector<QString> inputs = variants(kData[0]);
    size_t i = 0;
    for (auto _ : state) {
        window.Text1->setText(inputs[i++ % inputs.size()]);
        QCoreApplication::processEvents();
    }
}

// One scan check of a typical Code 128 picture, as the window's worker runs it
// once typing pauses.
void scanCheck(benchmark::State& state)
{
    draw::Surface picture(output::makeSurface(output::SurfaceId::Picture1));
    linear::DrawCode128(picture, kData[0].text, {1, 1, 1});
    const QImage image = picture.Image();
    const verify::Context context{.expected = kData[0].text};
    for (auto _ : state) {
        const verify::Verdict verdict = verify::check(verify::Symbology::Code128, image, context);
        if (!verdict.reads())
            state.SkipWithError("the picture does not read");
        benchmark::DoNotOptimize(verdict);
    }
}

void startToShown(benchmark::State& state)
{
    for (auto _ : state) {
        BarcodeGenerator window;
        window.show();
        QCoreApplication::processEvents();
    }
}

// Keeps the mean time of each run so that the pairs can be printed as ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> nanos;
    double coldStartMs = 0;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // Medians of the repetitions: a virtual machine has noisy neighbours.
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                nanos[run.run_name.function_name] =
                    run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMicrosecond   ? 1e3
                                                 : run.time_unit == benchmark::kMillisecond ? 1e6
                                                                                            : 1.0);
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nmedians of %d repetitions (others 5); libzint bars only (scale 0.5) and with text (scale 1)\n"
                    "%-16s %8s %8s %11s %14s %14s\n",
                    kRedrawRepetitions, "redraw", "to bars", "to text", "ours", "zint bars", "zint text");
        for (const Data& d : kData) {
            const double o = nanos["ours/" + std::string(d.name)];
            const double bars = nanos["libzint_bars/" + std::string(d.name)];
            const double text = nanos["libzint_text/" + std::string(d.name)];
            if (o > 0 && bars > 0 && text > 0)
                std::printf("%-16s %8.2f %8.2f %8.1f us %11.1f us %11.1f us\n", d.name, o / bars, o / text,
                            o / 1e3, bars / 1e3, text / 1e3);
        }
        std::printf("\nlibzint symbologies: our draw and picture at 2 pixels a module against "
                    "ZBarcode_Encode_and_Buffer at scale 1\n%-16s %8s %11s %14s\n",
                    "symbol", "ratio", "ours", "libzint");
        for (const LibraryData& d : kLibraryData) {
            const double o = nanos["ours_library/" + std::string(d.name)];
            const double z = nanos["libzint_buffer/" + std::string(d.name)];
            if (o > 0 && z > 0)
                std::printf("%-16s %8.2f %8.1f us %11.1f us\n", d.name, o / z, o / 1e3, z / 1e3);
        }
        std::printf("%-16s %8s %11.2f ms per keystroke (draw only; a frame is 16 ms)\n\n", "QR Code 1000", "",
                    nanos["library/typing_qr1000"] / 1e6);
        std::printf("%-16s %8s %11.1f us\n", "Text1_Change", "", nanos["window/Text1_Change/Code128"] / 1e3);
        std::printf("%-16s %8s %11.2f ms (Code 128), %.2f ms (Codabar), 32767 characters\n", "long input", "",
                    nanos["long/Code128"] / 1e6, nanos["long/Codabar"] / 1e6);
        std::printf("%-16s %8s %11.1f us (on the worker, once typing pauses)\n", "scan check", "",
                    nanos["verify/Code128"] / 1e3);
        std::printf("%-16s %8s %11.2f ms (a new window, warm)\n", "start to shown", "",
                    nanos["window/start_to_shown"] / 1e6);
        std::printf("%-16s %8s %11.2f ms (process start to the first window shown)\n", "cold start", "",
                    coldStartMs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    // Both sides allocate bitmaps of a few hundred kilobytes per redraw; glibc
    // would serve them by mmap or from the heap depending on what ran before,
    // which made the same benchmark bimodal (5 or 18 us). Heap only.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    // The offscreen platform warns on every shown window; nothing to measure there.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Cold: the application, the fonts and the font list are new to the process.
    double coldStartMs = 0;
    {
        BarcodeGenerator window;
        window.show();
        QCoreApplication::processEvents();
        coldStartMs = sinceStart.nsecsElapsed() / 1e6;
    }
    // The redraws are compared as ratios: many short repetitions, taken in
    // random order with --benchmark_enable_random_interleaving, let a busy
    // neighbour on the machine slow both sides of a ratio alike.
    for (const Data& d : kData) {
        for (const auto& [name, run] : std::initializer_list<std::pair<std::string, std::function<void(benchmark::State&)>>>{
                 {"ours/", [&d](benchmark::State& state) { ours(state, d); }},
                 {"libzint_bars/", [&d](benchmark::State& state) { zint(state, d, 0.5f); }},
                 {"libzint_text/", [&d](benchmark::State& state) { zint(state, d, 1.0f); }}})
            benchmark::RegisterBenchmark((name + d.name).c_str(), run)
                ->Unit(benchmark::kMicrosecond)
                ->MinTime(0.1)
                ->Repetitions(kRedrawRepetitions)
                ->ReportAggregatesOnly(true);
    }
    for (const LibraryData& d : kLibraryData) {
        for (const auto& [name, run] : std::initializer_list<std::pair<std::string, std::function<void(benchmark::State&)>>>{
                 {"ours_library/", [&d](benchmark::State& state) { oursLibrary(state, d); }},
                 {"libzint_buffer/", [&d](benchmark::State& state) { zintLibrary(state, d); }}})
            benchmark::RegisterBenchmark((name + d.name).c_str(), run)
                ->Unit(benchmark::kMicrosecond)
                ->MinTime(0.1)
                ->Repetitions(kRedrawRepetitions)
                ->ReportAggregatesOnly(true);
    }
    benchmark::RegisterBenchmark("library/typing_qr1000", typingIntoLargeQr)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("long/Code128", longInput, QChar(u'x'))
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("long/Codabar", longInput, QChar(u'1'))
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("window/Text1_Change/Code128", text1Change)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("verify/Code128", scanCheck)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("window/start_to_shown", startToShown)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    reporter.coldStartMs = coldStartMs;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
