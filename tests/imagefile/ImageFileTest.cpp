#include "ImageFile.h"
#include "BmpReader.h"
#include "ImageFileError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>

// The files in tests/data/formats are crops of the samples written by other
// tools (see the README there); each is checked against pixels decoded
// elsewhere: the bitmap crop it was made from, or a reference PPM.

namespace {

QString Data(const QString& name) {
    return QStringLiteral(TARVISH_TEST_DATA "/formats/") + name;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A binary 8-bit PPM as Pillow writes it: "P6\n<w> <h>\n255\n", then RGB triples.
QImage ReadPpm(const QString& path) {
    const QByteArray bytes = Bytes(path);
    const QList<QByteArray> header = bytes.left(32).simplified().split(' ');
    const int width = header.value(1).toInt();
    const int height = header.value(2).toInt();
    if (header.value(0) != "P6" || header.value(3) != "255" || width <= 0 || height <= 0) {
        return QImage();
    }
    const qsizetype start = bytes.size() - qsizetype(width) * height * 3;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto* rgb = reinterpret_cast<const uchar*>(bytes.constData()) + start +
                              (qsizetype(y) * width + x) * 3;
            image.setPixel(x, y, qRgb(rgb[0], rgb[1], rgb[2]));
        }
    }
    return image;
}

// Reference pixels: a bitmap through our reader, else a PPM.
QImage Reference(const QString& name) {
    if (!name.endsWith(QStringLiteral(".bmp"))) {
        return ReadPpm(Data(name));
    }
    const BmpImage bmp = ReadBmpFile(QFile::encodeName(Data(name)).toStdString());
    QImage image(bmp.Width, bmp.Height, QImage::Format_RGB32);
    for (int y = 0; y < bmp.Height; ++y) {
        for (int x = 0; x < bmp.Width; ++x) {
            image.setPixel(x, y, 0xff000000 | bmp.Pixels[std::size_t(y) * bmp.Width + x]);
        }
    }
    return image;
}

// Empty when image is Format_RGB32 and within tolerance of reference in every
// channel, else the first difference.
QString Difference(const QImage& image, const QImage& reference, int tolerance) {
    if (image.format() != QImage::Format_RGB32) {
        return QStringLiteral("format %1").arg(image.format());
    }
    if (image.size() != reference.size()) {
        return QStringLiteral("size %1 x %2, reference %3 x %4")
            .arg(image.width())
            .arg(image.height())
            .arg(reference.width())
            .arg(reference.height());
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = image.pixel(x, y);
            const QRgb b = reference.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > tolerance ||
                std::abs(qGreen(a) - qGreen(b)) > tolerance ||
                std::abs(qBlue(a) - qBlue(b)) > tolerance || qAlpha(a) != 255) {
                return QStringLiteral("pixel (%1, %2) is %3, reference %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 8, 16, QLatin1Char('0'))
                    .arg(b, 8, 16, QLatin1Char('0'));
            }
        }
    }
    return QString();
}

// The reason LoadImageFile gives for refusing path, or "loaded".
QString LoadError(const QString& path) {
    try {
        LoadImageFile(path);
        return QStringLiteral("loaded");
    } catch (const ImageFileError& error) {
        return QString::fromLocal8Bit(error.what());
    }
}

QString SaveError(const QImage& image, const QString& path, ImageFormat format) {
    try {
        SaveImageFile(image, path, format);
        return QStringLiteral("saved");
    } catch (const ImageFileError& error) {
        return QString::fromLocal8Bit(error.what());
    }
}

} // namespace

class ImageFileTest : public QObject {
    Q_OBJECT

private slots:
    void opensEachFormat_data();
    void opensEachFormat();
    void refusesCutFiles_data();
    void refusesCutFiles();
    void refusesDamagedFiles_data();
    void refusesDamagedFiles();
    void opensByContentNotName_data();
    void opensByContentNotName();
    void refusesWhatItCannotRead_data();
    void refusesWhatItCannotRead();
    void refusesImagesOverTheLimit_data();
    void refusesImagesOverTheLimit();
    void refusesFilesTooLargeToHold();
    void turnsJpegByItsOrientation();
    void savesExactly_data();
    void savesExactly();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
};

void ImageFileTest::opensEachFormat_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("tolerance");
    const auto row = [](const char* file, const char* reference, int tolerance) {
        QTest::newRow(file) << file << reference << tolerance;
    };
    row("chelsea_64x48.png", "chelsea_64x48.bmp", 0);
    row("chelsea_64x48.tif", "chelsea_64x48.bmp", 0);
    row("chelsea_64x48.ppm", "chelsea_64x48.bmp", 0);
    row("chelsea_64x48_lossless.webp", "chelsea_64x48.bmp", 0);
    row("camera_64x48.pgm", "camera_64x48.bmp", 0);
    row("chelsea_64x48_16bit.png", "chelsea_64x48_16bit_ref.ppm", 0);
    row("chelsea_64x48_16bit.tif", "chelsea_64x48_16bit_ref.ppm", 0);
    row("chelsea_64x48_16bit.ppm", "chelsea_64x48_16bit_ref.ppm", 0);
    row("camera_64x48_16bit.png", "camera_64x48_16bit_ref.ppm", 0);
    row("chelsea_64x48_alpha.png", "chelsea_64x48_alpha_ref.ppm", 0);
    // Lossy: Pillow's decode, through the same libjpeg and libwebp here.
    row("chelsea_64x48.jpg", "chelsea_64x48_jpg_ref.ppm", 2);
    row("chelsea_64x48_lossy.webp", "chelsea_64x48_lossy_webp_ref.ppm", 2);
}

void ImageFileTest::opensEachFormat() {
    QFETCH(QString, file);
    QFETCH(QString, reference);
    QFETCH(int, tolerance);
    const QImage expected = Reference(reference);
    QVERIFY2(!expected.isNull(), qPrintable(reference));
    const QString difference = Difference(LoadImageFile(Data(file)), expected, tolerance);
    QVERIFY2(difference.isEmpty(), qPrintable(file + QStringLiteral(": ") + difference));
}

void ImageFileTest::refusesCutFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<qsizetype>("length");
    const QStringList files = {
        "chelsea_64x48.bmp",       "chelsea_64x48.png",           "chelsea_64x48_16bit.png",
        "chelsea_64x48_alpha.png", "chelsea_64x48.jpg",           "chelsea_64x48.tif",
        "chelsea_64x48_16bit.tif", "chelsea_64x48_lossless.webp", "chelsea_64x48_lossy.webp",
        "chelsea_64x48.ppm",       "chelsea_64x48_16bit.ppm",     "camera_64x48.pgm"};
    for (const QString& file : files) {
        const qsizetype size = QFileInfo(Data(file)).size();
        for (const qsizetype length : {size - 1, size * 9 / 10, size / 2, qsizetype(16)}) {
            QTest::addRow("%s to %lld bytes", qPrintable(file), static_cast<long long>(length))
                << file << length;
        }
    }
}

void ImageFileTest::refusesCutFiles() {
    QFETCH(QString, file);
    QFETCH(qsizetype, length);
    QTemporaryDir dir;
    const QString cut = dir.filePath(file);
    WriteBytes(cut, Bytes(Data(file)).left(length));
    const QString reason = LoadError(cut);
    QVERIFY2(reason.contains(QStringLiteral("truncated")) ||
                 reason.contains(QStringLiteral("incomplete")),
             qPrintable(reason));
    QVERIFY2(reason[0].isLower(), qPrintable(reason));
}

void ImageFileTest::refusesDamagedFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<qsizetype>("at");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QString png = QStringLiteral("chelsea_64x48_16bit.png");
    const QByteArray pngBytes = Bytes(Data(png));
    // A changed byte in the compressed pixels: the chunk's CRC no longer matches.
    QTest::newRow("png pixels") << png << pngBytes.indexOf("IDAT") + 100 << QByteArray("\x55", 1)
                                << QStringLiteral("damaged or incomplete png file");
    const QString jpeg = QStringLiteral("chelsea_64x48.jpg");
    QTest::newRow("jpeg segment length")
        << jpeg << Bytes(Data(jpeg)).indexOf("\xff\xc0") + 2 << QByteArray("\0\1", 2)
        << QStringLiteral("damaged jpeg file: segment of length 1");
    // The first directory's offset pointing past the end of the file.
    QTest::newRow("tiff directory offset")
        << QStringLiteral("chelsea_64x48.tif") << qsizetype(4) << QByteArray("\xff\xff\0\0", 4)
        << QStringLiteral("truncated tiff file");
    QTest::newRow("pnm maximum value")
        << QStringLiteral("chelsea_64x48.ppm") << qsizetype(9) << QByteArray("000")
        << QStringLiteral("damaged or incomplete pnm file");
}

void ImageFileTest::refusesDamagedFiles() {
    QFETCH(QString, file);
    QFETCH(qsizetype, at);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QByteArray damaged = Bytes(Data(file));
    QVERIFY(at > 0);
    damaged.replace(at, bytes.size(), bytes);
    QVERIFY(damaged != Bytes(Data(file)));
    WriteBytes(dir.filePath(file), damaged);
    QCOMPARE(LoadError(dir.filePath(file)), reason);
}

void ImageFileTest::opensByContentNotName_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("png as bmp") << "chelsea_64x48.png"
                                << "x.bmp"
                                << "chelsea_64x48.bmp" << 0;
    QTest::newRow("bmp as png") << "chelsea_64x48.bmp"
                                << "x.png"
                                << "chelsea_64x48.bmp" << 0;
    QTest::newRow("jpeg as webp") << "chelsea_64x48.jpg"
                                  << "x.webp"
                                  << "chelsea_64x48_jpg_ref.ppm" << 2;
    QTest::newRow("pgm without extension") << "camera_64x48.pgm"
                                           << "x"
                                           << "camera_64x48.bmp" << 0;
}

void ImageFileTest::opensByContentNotName() {
    QFETCH(QString, file);
    QFETCH(QString, name);
    QFETCH(QString, reference);
    QFETCH(int, tolerance);
    QTemporaryDir dir;
    QVERIFY(QFile::copy(Data(file), dir.filePath(name)));
    const QString difference =
        Difference(LoadImageFile(dir.filePath(name)), Reference(reference), tolerance);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void ImageFileTest::refusesWhatItCannotRead_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("Tarvish compares transforms.\n");
    // Qt reads GIF, but the program does not offer it; PAM is a Netpbm format Qt lacks.
    QTest::newRow("gif") << QByteArray("GIF89a\1\0\1\0\0\0\0;");
    QTest::newRow("pam") << QByteArray("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\nENDHDR\n\0");
}

void ImageFileTest::refusesWhatItCannotRead() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    WriteBytes(dir.filePath("x.png"), bytes);
    QCOMPARE(LoadError(dir.filePath("x.png")),
             QStringLiteral("not an image file Tarvish can read"));
    QCOMPARE(LoadError(dir.filePath("missing.png")),
             QStringLiteral("cannot open file: No such file or directory"));
}

void ImageFileTest::refusesImagesOverTheLimit_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("png header of 20000 x 20000")
        << Bytes(Data("huge_20000x20000.png")) << QStringLiteral("image too large: 20000 x 20000");
    // The frame header's height and width, big-endian, at 5 and 7 past its marker.
    QByteArray jpeg = Bytes(Data("chelsea_64x48.jpg"));
    jpeg.replace(jpeg.indexOf("\xff\xc0") + 5, 4, QByteArray("\x00\x30\x40\x01", 4));
    QTest::newRow("jpeg of 16385 x 48") << jpeg << QStringLiteral("image too large: 16385 x 48");
    QTest::newRow("pgm of 16384 x 1")
        << QByteArray("P5\n16384 1\n255\n") + QByteArray(16384, '\x80') << QStringLiteral("loaded");
    QTest::newRow("pgm of 1 x 16385")
        << QByteArray("P5\n1 16385\n255\n") << QStringLiteral("image too large: 1 x 16385");
}

void ImageFileTest::refusesImagesOverTheLimit() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    WriteBytes(dir.filePath("x"), bytes);
    QCOMPARE(LoadError(dir.filePath("x")), reason);
}

void ImageFileTest::refusesFilesTooLargeToHold() {
    // A sparse file: 2 GiB for a 16-bit RGBA image of 256 Mi pixels, 64 MiB of room, one more.
    QTemporaryDir dir;
    QFile file(dir.filePath("x.png"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n");
    QVERIFY(file.resize((qint64{1} << 31) + (qint64{1} << 26) + 1));
    file.close();
    QCOMPARE(LoadError(file.fileName()), QStringLiteral("file too large: 2214592513 bytes"));
}

void ImageFileTest::turnsJpegByItsOrientation() {
    // An Exif segment whose one tag, Orientation 6, says the picture is to be
    // turned 90 degrees clockwise.
    const QByteArray exif("\xff\xe1\x00\x22"
                          "Exif\0\0"
                          "II*\0\x08\0\0\0"
                          "\x01\0"
                          "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"
                          "\0\0\0\0",
                          36);
    QTemporaryDir dir;
    WriteBytes(dir.filePath("x.jpg"), Bytes(Data("chelsea_64x48.jpg")).insert(2, exif));
    const QImage turned =
        Reference(QStringLiteral("chelsea_64x48_jpg_ref.ppm")).transformed(QTransform().rotate(90));
    const QString difference = Difference(LoadImageFile(dir.filePath("x.jpg")), turned, 2);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void ImageFileTest::savesExactly_data() {
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("bmp") << ImageFormat::Bmp << "out.bmp" << QByteArray("BM");
    QTest::newRow("png") << ImageFormat::Png << "out.png" << QByteArray("\x89PNG\r\n\x1a\n");
    QTest::newRow("png named bmp")
        << ImageFormat::Png << "out.bmp" << QByteArray("\x89PNG\r\n\x1a\n");
}

void ImageFileTest::savesExactly() {
    QFETCH(ImageFormat, format);
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    WriteBytes(path, "old");
    const QImage original = Reference(QStringLiteral("chelsea_64x48_alpha_ref.ppm"));
    SaveImageFile(original, path, format);
    QVERIFY(Bytes(path).startsWith(magic));
    QCOMPARE(LoadImageFile(path), original);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({name}));
}

void ImageFileTest::failedSaveKeepsTheOldFile_data() {
    QTest::addColumn<ImageFormat>("format");
    QTest::newRow("bmp") << ImageFormat::Bmp;
    QTest::newRow("png") << ImageFormat::Png;
}

void ImageFileTest::failedSaveKeepsTheOldFile() {
    QFETCH(ImageFormat, format);
    QTemporaryDir dir;
    const QImage image = LoadImageFile(QStringLiteral(TARVISH_TEST_DATA "/../../samples/"
                                                                        "chelsea_256x256.bmp"));
    QCOMPARE(SaveError(image, dir.filePath("missing/out"), format),
             QStringLiteral("cannot create file: No such file or directory"));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));

    // A file size limit makes the writing fail, as a full disk would, for root too.
    const QString path = dir.filePath("out");
    WriteBytes(path, "old");
    rlimit limit{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 4096;
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const QString reason = SaveError(image, path, format);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    QVERIFY2(reason.startsWith(QStringLiteral("cannot ")), qPrintable(reason));
    QCOMPARE(Bytes(path), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"out"}));
}

int main(int argc, char** argv) {
    // No display: programs without a window read images too.
    QCoreApplication application(argc, argv);
    ImageFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ImageFileTest.moc"
