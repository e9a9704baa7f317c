#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <QtTest>

#include <algorithm>

// The application icon comes as three PNG files (installed into the hicolor
// theme) and as a Windows .ico made from them. A redrawn PNG without a
// remade .ico, or an .ico that lost a size or its alpha channel, fails here.
class TestIcons : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void icoDirectory();
    void icoMatchesPictures_data();
    void icoMatchesPictures();
};

static const QString iconsDir = QStringLiteral(SUFFARR_ICONS_DIR);

static QString pngPath(int size)
{
    return iconsDir + QStringLiteral("/suffarr-%1.png").arg(size);
}

static void addSizes()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 48})
        QTest::newRow(qPrintable(QStringLiteral("%1px").arg(size))) << size;
}

void TestIcons::pictures_data()
{
    addSizes();
}

void TestIcons::pictures()
{
    QFETCH(int, size);
    const QImage png(pngPath(size));
    QVERIFY2(!png.isNull(), qPrintable(pngPath(size)));
    QCOMPARE(png.size(), QSize(size, size));
    QVERIFY(png.hasAlphaChannel());
}

// The .ico's own directory: three entries, 16, 32 and 48 pixels square, each
// with 32 bits per pixel (colour and alpha).
void TestIcons::icoDirectory()
{
    QFile file(iconsDir + QStringLiteral("/suffarr.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    QVERIFY(bytes.size() >= 6);
    QCOMPARE(u16(0), quint16(0)); // reserved
    QCOMPARE(u16(2), quint16(1)); // 1 = icon
    QCOMPARE(u16(4), quint16(3)); // entries
    QVERIFY(bytes.size() >= 6 + 3 * 16);
    QList<int> sizes;
    for (int entry = 0; entry < 3; ++entry) {
        const int at = 6 + 16 * entry;
        const int width = quint8(bytes[at]);
        const int height = quint8(bytes[at + 1]);
        QCOMPARE(width, height);
        QCOMPARE(u16(at + 6), quint16(32)); // bits per pixel
        sizes << width;
    }
    std::sort(sizes.begin(), sizes.end());
    QCOMPARE(sizes, (QList<int>{16, 32, 48}));
}

void TestIcons::icoMatchesPictures_data()
{
    addSizes();
}

void TestIcons::icoMatchesPictures()
{
    QFETCH(int, size);
    QImageReader reader(iconsDir + QStringLiteral("/suffarr.ico"), "ico");
    QImage fromIco;
    for (int n = 0; n < reader.imageCount(); ++n) {
        QVERIFY(reader.jumpToImage(n));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        if (image.size() == QSize(size, size))
            fromIco = image;
    }
    QVERIFY2(!fromIco.isNull(), "no picture of this size in the .ico");
    // Premultiplied, so that the colour of fully transparent pixels does not count.
    const QImage expected = QImage(pngPath(size)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage actual = fromIco.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): .ico %3, png %4")
                                     .arg(x).arg(y)
                                     .arg(actual.pixel(x, y), 8, 16, QChar('0'))
                                     .arg(expected.pixel(x, y), 8, 16, QChar('0'))));
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
