#include "ImageFile.h"

#include "BitmapFile.h"
#include "BmpError.h"
#include "BmpReader.h"
#include "ImageFileError.h"

#include <QBuffer>
#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

namespace {

// Deep images decode at up to 8 bytes a pixel (16-bit RGBA) before they are
// reduced, so the largest accepted image needs 2 GiB there.
constexpr int AllocationLimitMiB = static_cast<int>(BmpMaxPixels * 8 >> 20);
// Room for that image stored uncompressed, plus metadata.
constexpr qint64 MaxFileSize = (qint64{AllocationLimitMiB} << 20) + (qint64{64} << 20);

std::uint8_t Byte(const char* at) {
    return static_cast<std::uint8_t>(*at);
}

bool IsBmp(QByteArrayView head) {
    return head.startsWith("BM");
}

bool IsPng(QByteArrayView head) {
    return head.startsWith("\x89PNG\r\n\x1a\n");
}

bool IsJpeg(QByteArrayView head) {
    return head.startsWith("\xff\xd8\xff");
}

bool IsTiff(QByteArrayView head) {
    return head.startsWith(QByteArrayView("II*\0", 4)) ||
           head.startsWith(QByteArrayView("MM\0*", 4));
}

bool IsWebp(QByteArrayView head) {
    return head.size() >= 12 && head.startsWith("RIFF") && head.sliced(8, 4) == "WEBP";
}

bool IsPnm(QByteArrayView head) {
    return head.size() >= 3 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6' &&
           QByteArrayView(" \t\r\n").contains(head[2]);
}

// A PNG's chunks must run to IEND inside the file.
void CheckPngWhole(QByteArrayView data) {
    qsizetype at = 8;
    while (data.size() - at >= 12) {
        const auto length = static_cast<qsizetype>(qFromBigEndian<quint32>(data.data() + at));
        if (length > data.size() - at - 12) {
            break;
        }
        if (data.sliced(at + 4, 4) == "IEND") {
            return;
        }
        at += 12 + length;
    }
    throw ImageFileError("truncated png file");
}

bool IsRestartMarker(std::uint8_t marker) {
    return marker >= 0xd0 && marker <= 0xd7;
}

// A JPEG's markers must reach the end-of-image marker: libjpeg fills in what a
// cut file lacks with grey and only warns, so Qt's reader reports success.
void CheckJpegWhole(QByteArrayView data) {
    const auto end = data.end();
    auto at = data.begin() + 2;
    while (true) {
        // Bytes before a marker are skipped, as libjpeg does; 0xff may repeat as fill.
        at = std::find(at, end, '\xff');
        if (end - at < 2) {
            break;
        }
        const std::uint8_t marker = Byte(at + 1);
        if (marker == 0xd9) {
            return;
        }
        if (marker == 0xff || marker == 0x00 || marker == 0x01 || IsRestartMarker(marker)) {
            at += marker == 0xff ? 1 : 2;
            continue;
        }
        if (end - at < 4) {
            break;
        }
        const int length = Byte(at + 2) << 8 | Byte(at + 3);
        if (length < 2) {
            throw ImageFileError("damaged jpeg file: segment of length " + std::to_string(length));
        }
        if (end - at < 2 + length) {
            break;
        }
        at += 2 + length;
        if (marker == 0xda) {
            // Entropy-coded data runs to a marker other than a stuffed zero or a restart.
            while (true) {
                at = std::find(at, end, '\xff');
                if (end - at < 2) {
                    break;
                }
                const std::uint8_t next = Byte(at + 1);
                if (next != 0x00 && !IsRestartMarker(next)) {
                    break;
                }
                at += 2;
            }
        }
    }
    throw ImageFileError("truncated jpeg file");
}

// A WebP's RIFF container says how long it is.
void CheckWebpWhole(QByteArrayView data) {
    const auto riffSize = static_cast<qsizetype>(qFromLittleEndian<quint32>(data.data() + 4));
    if (riffSize > data.size() - 8) {
        throw ImageFileError("truncated webp file");
    }
}

// An array of numbers in a TIFF directory entry.
struct TiffArray {
    qsizetype At = 0;
    int Size = 0;
    qsizetype Count = 0;
};

// A TIFF's first directory, the values it points to and its strips or tiles
// must lie inside the file: libtiff drops a cut tag with a warning only.
void CheckTiffWhole(QByteArrayView data) {
    const bool little = data[0] == 'I';
    const auto number = [&](qsizetype at, int size) {
        if (at < 0 || at > data.size() - size) {
            throw ImageFileError("truncated tiff file");
        }
        qsizetype value = 0;
        for (int i = 0; i < size; ++i) {
            value = value << 8 | Byte(data.data() + at + (little ? size - 1 - i : i));
        }
        return value;
    };
    // Bytes per value of each field type, 1 (BYTE) to 13 (IFD); 0 for unknown types.
    constexpr std::array<int, 14> TypeSizes{0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    const qsizetype directory = number(4, 4);
    const qsizetype entries = number(directory, 2);
    TiffArray offsets;
    TiffArray lengths;
    for (qsizetype i = 0; i < entries; ++i) {
        const qsizetype entry = directory + 2 + 12 * i;
        const qsizetype tag = number(entry, 2);
        const qsizetype type = number(entry + 2, 2);
        const int size = type < qsizetype(TypeSizes.size()) ? TypeSizes[type] : 0;
        TiffArray values{entry + 8, size, number(entry + 4, 4)};
        if (size * values.Count > 4) {
            values.At = number(entry + 8, 4);
        }
        // The value's last byte must be there.
        if (size > 0 && values.Count > 0) {
            number(values.At + size * values.Count - 1, 1);
        }
        // Offsets and lengths are SHORT or LONG; libtiff refuses other types itself.
        if (size != 2 && size != 4) {
            continue;
        }
        if (tag == 273 || tag == 324) { // StripOffsets, TileOffsets
            offsets = values;
        } else if (tag == 279 || tag == 325) { // StripByteCounts, TileByteCounts
            lengths = values;
        }
    }
    number(directory + 2 + 12 * entries, 4); // the next directory's offset
    for (qsizetype i = 0; i < std::min(offsets.Count, lengths.Count); ++i) {
        const qsizetype length = number(lengths.At + i * lengths.Size, lengths.Size);
        if (length > 0) {
            number(number(offsets.At + i * offsets.Size, offsets.Size) + length - 1, 1);
        }
    }
}

struct FileFormat {
    const ImageFileType& Type;
    // Qt's name for its reader; null for bitmaps, which our own reader takes.
    const char* QtName;
    bool (*Matches)(QByteArrayView head);
    // Null where Qt's reader itself refuses every cut file.
    void (*CheckWhole)(QByteArrayView data);
};

// In the order of ImageFileTypes.
const std::array<FileFormat, 6> Formats{{
    {ImageFileTypes[0], nullptr, IsBmp, nullptr},
    {ImageFileTypes[1], "png", IsPng, CheckPngWhole},
    {ImageFileTypes[2], "jpeg", IsJpeg, CheckJpegWhole},
    {ImageFileTypes[3], "tiff", IsTiff, CheckTiffWhole},
    {ImageFileTypes[4], "webp", IsWebp, CheckWebpWhole},
    {ImageFileTypes[5], "ppm", IsPnm, nullptr},
}};

const FileFormat* FormatOf(QByteArrayView head) {
    const auto format = std::find_if(Formats.begin(), Formats.end(),
                                     [&](const FileFormat& f) { return f.Matches(head); });
    if (format == Formats.end()) {
        throw ImageFileError("not an image file Tarvish can read");
    }
    return &*format;
}

std::string Text(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QImage LoadBitmapFile(const QString& path) {
    try {
        return LoadBitmap(path);
    } catch (const BmpError& error) {
        throw ImageFileError(error.what());
    }
}

[[noreturn]] void Damaged(const FileFormat& format, const QImageReader& reader) {
    const std::string name(format.Type.Name);
    if (reader.error() == QImageReader::UnsupportedFormatError) {
        throw ImageFileError("no Qt image plugin for " + name + " files is installed");
    }
    throw ImageFileError("damaged or incomplete " + name + " file");
}

// Decodes data, of format, through Qt's reader.
QImage Decoded(const FileFormat& format, const QByteArray& data,
               qint64 maxPixels = qint64{BmpMaxPixels}) {
    if (format.CheckWhole) {
        format.CheckWhole(data);
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format.QtName);
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(AllocationLimitMiB);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid()) {
        Damaged(format, reader);
    }
    if (size.width() > BmpMaxSide || size.height() > BmpMaxSide ||
        qint64{size.width()} * size.height() > maxPixels) {
        throw ImageFileError("image too large: " + std::to_string(size.width()) + " x " +
                             std::to_string(size.height()));
    }
    QImage decoded;
    if (!reader.read(&decoded)) {
        Damaged(format, reader);
    }
    return ComposedOnWhite(std::move(decoded));
}

void SavePng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw ImageFileError("cannot create file: " + Text(file.errorString()));
    }
    // Encoded in memory, where writing cannot fail: Qt's writer leaks its row
    // buffer when libpng gives up on a failed write.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Not committed, the temporary file is removed with QSaveFile.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        throw ImageFileError("cannot encode png image: " + Text(writer.errorString()));
    }
    if (file.write(encoded) != encoded.size()) {
        throw ImageFileError("cannot write file: " + Text(file.errorString()));
    }
    if (!file.commit()) {
        throw ImageFileError("cannot replace file: " + Text(file.errorString()));
    }
}

} // namespace

QImage LoadImageFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ImageFileError("cannot open file: " + Text(file.errorString()));
    }
    const FileFormat* format = FormatOf(file.peek(12));
    if (!format->QtName) {
        file.close();
        return LoadBitmapFile(path);
    }
    if (file.size() > MaxFileSize) {
        throw ImageFileError("file too large: " + std::to_string(file.size()) + " bytes");
    }
    QByteArray data = file.readAll();
    if (data.size() != file.size()) {
        throw ImageFileError("cannot read file: " + Text(file.errorString()));
    }
    file.close();
    return Decoded(*format, data);
}

QImage LoadImageData(const QByteArray& data, qint64 maxPixels) {
    if (maxPixels < 1 || maxPixels > qint64{BmpMaxPixels}) {
        throw std::invalid_argument("LoadImageData: pixel limit " + std::to_string(maxPixels) +
                                    " is outside 1 to " + std::to_string(BmpMaxPixels));
    }
    const FileFormat* format = FormatOf(data.first(std::min<qsizetype>(data.size(), 12)));
    if (!format->QtName) {
        try {
            return BitmapImage(ReadBmp(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                       static_cast<std::size_t>(data.size()),
                                       static_cast<std::uint64_t>(maxPixels)));
        } catch (const BmpError& error) {
            throw ImageFileError(error.what());
        }
    }
    if (data.size() > MaxFileSize) {
        throw ImageFileError("file too large: " + std::to_string(data.size()) + " bytes");
    }
    return Decoded(*format, data, maxPixels);
}

// Transparent parts composed on white: a premultiplied colour plus white
// where the image lets it through is exactly c * a / 255 + 255 - a, rounded.
QImage ComposedOnWhite(QImage decoded) {
    if (!decoded.hasAlphaChannel()) {
        return decoded.convertToFormat(QImage::Format_RGB32);
    }
    QImage image = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    decoded = QImage();
    if (image.isNull()) {
        throw std::bad_alloc();
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = row[x];
            const int clear = 255 - qAlpha(pixel);
            row[x] = qRgb(qRed(pixel) + clear, qGreen(pixel) + clear, qBlue(pixel) + clear);
        }
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

void SaveImageFile(const QImage& image, const QString& path, ImageFormat format) {
    if (image.isNull()) {
        throw ImageFileError("there is no image to save");
    }
    switch (format) {
    case ImageFormat::Bmp:
        try {
            SaveBitmap(image, path);
        } catch (const BmpError& error) {
            throw ImageFileError(error.what());
        }
        return;
    case ImageFormat::Png:
        SavePng(image, path);
        return;
    }
    throw std::invalid_argument("format " + std::to_string(static_cast<int>(format)));
}
