#pragma once

#include "app/BarcodeGenerator.h"

#include <QImage>
#include <QProcessEnvironment>
#include <QStringList>

#include <ZXing/BarcodeFormat.h>
#include <ZXing/Result.h>

#include <csignal>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace testing {

// How the scanner is set beyond its one symbology; it always tries harder.
struct ScanSettings {
    // Nearest-neighbour enlargement, so that each module is this many pixels
    // (pictures that already have several pixels a module keep 1).
    int scale = 1;
    bool addOns = false; // EAN/UPC add-ons read with their symbol: "4006381333931 12"
    bool rotated = true; // also looks for the symbol turned
    bool pure = false;   // the picture is the symbol alone (how MaxiCode is read)
};

// What ZXing-cpp makes of the picture on white paper with a quiet zone around
// it, a transparent background read as the paper.
ZXing::Result scanFramed(const QImage& image, ZXing::BarcodeFormat format, const ScanSettings& settings);

// What a scanner reads from the image, "<no symbol>" when nothing: scaled so
// that each module is `scale` pixels.
std::string decode(const QImage& image, ZXing::BarcodeFormat format, int scale = 3);

// Same size and the same colour at every pixel, whatever the two formats.
bool samePixels(const QImage& a, const QImage& b);

// x of every dark pixel in one row.
std::vector<int> darkColumns(const QImage& image, int row);
// First and last dark row of a column, or {-1, -1} when it has none.
std::pair<int, int> darkRows(const QImage& image, int x);
bool isDark(QRgb pixel);
// True when any pixel in the rectangle is dark.
bool anyDark(const QImage& image, const QRect& area);

struct Message {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Answers message boxes from a queue (OK when empty), records them, and saves
// and prints into a temporary folder.
class FakePlatform : public Platform {
  public:
    explicit FakePlatform(QString folder) : m_folder(std::move(folder)) {}
    QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
    QString currentDirectory() override { return currentFolder.value_or(m_folder); }
    QString programFolder() override { return m_folder; }
    std::unique_ptr<QPrinter> printer() override;
    // Answers `chosenFile` if set (an empty path cancels), else takes the proposal.
    QString saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filter) override;
    // Accepts unless `cancelPrint`.
    bool setUpPrinter(QPrinter& printer, QWidget* parent) override;
    // Paints the pages once onto the printer, as a preview does when it opens.
    void previewPrint(QPrinter& printer, QWidget* parent,
                      const std::function<void(QPrinter&)>& paint) override;
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return openFileAnswer;
    }
    QString existingFolder(QWidget*, const QString&, const QString&) override { return folderAnswer; }

    std::vector<Message> messages;
    std::vector<QString> proposedFiles; // what the file chooser was asked to propose
    std::vector<QString> fileFilters;
    std::optional<QString> chosenFile;
    bool cancelPrint = false;
    int printDialogs = 0;
    int previews = 0;
    std::deque<QMessageBox::StandardButton> answers;
    QString pdfPath;                      // where the printer writes; empty for an unusable printer
    std::optional<QString> currentFolder; // what the current-directory query answers, if not the folder
    bool brokenPrinter = false;
    QString openFileAnswer; // what the file chooser answers; empty for Cancel
    QString folderAnswer;   // what the folder chooser answers; empty for Cancel

  private:
    QString m_folder;
};

// The surface the symbology of that display name is drawn on.
const draw::Surface& drawnOn(const BarcodeGenerator* window, const QString& symbology);

// Clicks the symbology button of that name ("Code 39", "EAN-13", "UPC-A", ...);
// EAN-8 has no visible button and is selected by code.
void select(BarcodeGenerator* window, const QString& symbology);

// A window with a fake platform; the fake stays reachable through `platform`.
struct Window {
    explicit Window(const QString& folder = QString());
    std::unique_ptr<BarcodeGenerator> w;
    FakePlatform* platform = nullptr;
    BarcodeGenerator* operator->() const { return w.get(); }
};

// A file's bytes; empty when it cannot be read.
QByteArray readAll(const QString& path);
// Writes the whole file; false when it could not.
bool writeFile(const QString& path, const QByteArray& bytes);

// Every write beyond a few bytes fails, as on a full disk.
class TinyFileLimit {
  public:
    TinyFileLimit()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit tiny = m_saved;
        tiny.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~TinyFileLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    TinyFileLimit(const TinyFileLimit&) = delete;
    TinyFileLimit& operator=(const TinyFileLimit&) = delete;

  private:
    rlimit m_saved{};
};

// The environment of the program as a user's shell runs it for a command:
// this process's, without a display of any kind.
QProcessEnvironment withoutDisplay();

} // namespace testing
