// Every redraw the window can make, held against hashes of what the drawing
// code drew when they were recorded: a change that is meant to make drawing
// faster (or to move code around) must not change one pixel or one SVG byte.
//
// Record again, after a change that is meant to change the drawing, through
// CTest, which gives the test its own fonts, with
//   BARCODE_GOLDEN_RECORD=1 ctest --test-dir build -R tst_golden
// and say in the commit why the pictures changed.
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include <functional>

using testing::select;
using testing::Window;

namespace {

QByteArray imageBytes(const QImage& image)
{
    QByteArray bytes;
    bytes += QByteArray::number(image.width()) + 'x' + QByteArray::number(image.height()) + ' ' +
             QByteArray::number(int(image.format())) + '\n';
    const qsizetype rowBytes = (qsizetype(image.width()) * image.depth() + 7) / 8;
    for (int y = 0; y < image.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes);
    return bytes;
}

// What every surface shows and would export, as one hash.
QByteArray stateHash(BarcodeGenerator* w)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const draw::Surface* s : {&w->Picture1(), &w->picEan(), &w->picUPC()}) {
        hash.addData(imageBytes(s->Image()));
        hash.addData(s->toSvg());
        hash.addData(QByteArray::number(s->Width()) + (s->Visible() ? "v" : "h"));
    }
    return hash.result().toHex();
}

struct Recorder {
    BarcodeGenerator* w;
    QStringList lines;
    void operator()(const QString& name)
    {
        lines << name + QLatin1Char(' ') + QString::fromLatin1(stateHash(w));
    }
};

void setBox(BarcodeGenerator* w, int index, bool on)
{
    if (w->Check1[index]->isEnabled())
        w->Check1[index]->setChecked(on);
}

QStringList inputs()
{
    QStringList list = {
        QString(),
        QStringLiteral("1"),
        QStringLiteral("12"),
        QStringLiteral("123"),
        QStringLiteral("1234567"),
        QStringLiteral("12345670"),
        QStringLiteral("123456789012"),
        QStringLiteral("4006381333931"),
        QStringLiteral("12345678901"),
        QStringLiteral("036000291452"),
        QStringLiteral("978030640615"),
        QStringLiteral("491234567890"),
        QStringLiteral("HELLO"),
        QStringLiteral("hello world"),
        QStringLiteral("A-1.2$/+%"),
        QStringLiteral("$"),
        QStringLiteral("12A45"),
        QStringLiteral("A<B>&\"C'"),
        QStringLiteral("\u00e9t\u00e9"),
        QStringLiteral("\u65e5\u672c"),
        QString::fromUtf8("\xF0\x9F\x98\x80x"),
        QStringLiteral("a\tb"),
        QStringLiteral("1234567890123"),
        QStringLiteral("12345678901234567890"),
        QStringLiteral("THE QUICK BROWN FOX 0123456789"),
        QStringLiteral("+-:/.$0123"),
    };
    list << QString(120, QLatin1Char('7')) << QStringLiteral("Code-128 mixed text ").repeated(10);
    return list;
}

} // namespace

class TestGolden : public QObject {
    Q_OBJECT
  private slots:
    void everyRedrawIsUnchanged();
};

void TestGolden::everyRedrawIsUnchanged()
{
    Window w;
    w->show();
    Recorder record{w.w.get()};
    const QStringList symbologies = {QStringLiteral("Code 39"),  QStringLiteral("Interleaved 2 of 5"),
                                     QStringLiteral("Code 128"), QStringLiteral("Codabar"),
                                     QStringLiteral("EAN-13"),   QStringLiteral("JAN-13"),
                                     QStringLiteral("ISBN"),     QStringLiteral("UPC-A"),
                                     QStringLiteral("EAN-8")};
    const QStringList data = inputs();
    for (const QString& symbology : symbologies) {
        select(w.w.get(), symbology);
        for (int boxes = 0; boxes < 8; ++boxes) {
            setBox(w.w.get(), 0, boxes & 1);
            setBox(w.w.get(), 1, boxes & 2);
            setBox(w.w.get(), 2, boxes & 4);
            for (int i = 0; i < data.size(); ++i) {
                w->Text1->setText(data[i]);
                record(QStringLiteral("%1/%2/%3").arg(symbology).arg(boxes).arg(i));
            }
        }
        // Typing character by character passes through every prefix.
        w->Text1->clear();
        for (const QChar c : QStringLiteral("9780306406157X")) {
            QTest::keyClick(w->Text1, c.toLatin1());
            record(QStringLiteral("%1/typed/%2").arg(symbology, w->Text1->text()));
        }
    }
    // Other label fonts, for every symbology that prints one.
    for (const QString& family : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"),
                                  QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Tahoma")}) {
        const auto items = w->List1->findItems(family, Qt::MatchExactly);
        if (items.isEmpty())
            continue;
        w->List1->setCurrentItem(items.first());
        w->List1_Click();
        for (const QString& symbology : symbologies) {
            select(w.w.get(), symbology);
            for (const QString& text : {QStringLiteral("0123456789"), QStringLiteral("123456789012"),
                                        QStringLiteral("Fonts 123")}) {
                w->Text1->setText(text);
                record(QStringLiteral("font %1/%2/%3").arg(family, symbology, text));
            }
        }
    }
    // The code-set display in both modes and every start.
    select(w.w.get(), QStringLiteral("EAN-13"));
    for (qint16 mode : {qint16(0), qint16(1)}) {
        w->EanViewCommand(mode);
        for (qint16 start = 0; start <= 25; ++start) {
            w->ShowEanModules(start);
            record(QStringLiteral("modules/%1/%2").arg(mode).arg(start));
        }
    }

    QFile file(QStringLiteral(GOLDEN_FILE));
    if (qEnvironmentVariableIsSet("BARCODE_GOLDEN_RECORD")) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(record.lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), "no recorded hashes");
    const QStringList expected =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(record.lines.size(), expected.size());
    QStringList changed;
    for (int i = 0; i < expected.size(); ++i)
        if (record.lines[i] != expected[i])
            changed << record.lines[i].section(QLatin1Char(' '), 0, -2);
    QVERIFY2(changed.isEmpty(), qPrintable(QStringLiteral("%1 of %2 states draw differently, first: %3")
                                               .arg(changed.size())
                                               .arg(expected.size())
                                               .arg(changed.mid(0, 5).join(QStringLiteral("; ")))));
}

QTEST_MAIN(TestGolden)
#include "tst_golden.moc"
