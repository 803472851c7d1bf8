#include "ImageFileFilter.h"
#include "FakeDialogs.h"
#include "FileDialog.h"

#include <QApplication>
#include <QTest>

namespace {

const QString BmpFilter = QStringLiteral("Bitmap files (*.bmp)");
const QString PngFilter = QStringLiteral("PNG files (*.png)");

} // namespace

class ImageFileFilterTest : public QObject {
    Q_OBJECT

private slots:
    void filtersListEveryFormat();
    void saveFormatFollowsTheNameThenTheFilter_data();
    void saveFormatFollowsTheNameThenTheFilter();
    void saveDialogKeepsTheChosenFilter();
};

void ImageFileFilterTest::filtersListEveryFormat() {
    QCOMPARE(ImageOpenFilter(),
             QStringLiteral("Bitmap files (*.bmp)|*.bmp|"
                            "All images (*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.webp *.ppm *.pgm "
                            "*.pnm)|*.bmp;*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.webp;*.ppm;*.pgm;*.pnm|"
                            "PNG files (*.png)|*.png|JPEG files (*.jpg *.jpeg)|*.jpg;*.jpeg|"
                            "TIFF files (*.tif *.tiff)|*.tif;*.tiff|WebP files (*.webp)|*.webp|"
                            "Netpbm files (*.ppm *.pgm *.pnm)|*.ppm;*.pgm;*.pnm"));
    QCOMPARE(ImageSaveFilter(),
             QStringLiteral("Bitmap files (*.bmp)|*.bmp|PNG files (*.png)|*.png"));
}

void ImageFileFilterTest::saveFormatFollowsTheNameThenTheFilter_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<ImageFormat>("format");
    QTest::newRow("png name, bitmap filter") << "/a/x.png" << BmpFilter << ImageFormat::Png;
    QTest::newRow("BMP name, png filter") << "/a/x.BMP" << PngFilter << ImageFormat::Bmp;
    QTest::newRow("no extension, png filter") << "/a.b/x" << PngFilter << ImageFormat::Png;
    QTest::newRow("other extension, png filter") << "/a/x.jpg" << PngFilter << ImageFormat::Png;
    QTest::newRow("no extension, no filter") << "/a/x" << QString() << ImageFormat::Bmp;
}

void ImageFileFilterTest::saveFormatFollowsTheNameThenTheFilter() {
    QFETCH(QString, path);
    QFETCH(QString, filter);
    QFETCH(ImageFormat, format);
    QCOMPARE(SaveFormatFor(path, filter), format);
}

void ImageFileFilterTest::saveDialogKeepsTheChosenFilter() {
    FakeDialogsScope dialogs;
    FileDialog save(FileDialog::Kind::Save, "Save image", ImageSaveFilter(), "*.bmp");
    QCOMPARE(save.SelectedFilter(), BmpFilter);
    dialogs->saveAnswers = {"/tmp/a", "/tmp/b", "/tmp/c.bmp", "/tmp/d"};
    QVERIFY(save.Execute(nullptr));
    QCOMPARE(save.FileName(), QStringLiteral("/tmp/a.bmp"));
    dialogs->saveFilterAnswers = {PngFilter};
    QVERIFY(save.Execute(nullptr));
    QCOMPARE(save.FileName(), QStringLiteral("/tmp/b.png"));
    QCOMPARE(save.SelectedFilter(), PngFilter);
    // Shown again with PNG chosen, which stays; an explicit extension is kept.
    QVERIFY(save.Execute(nullptr));
    QCOMPARE(save.FileName(), QStringLiteral("/tmp/c.bmp"));
    QCOMPARE(save.SelectedFilter(), PngFilter);
    dialogs->saveFilterAnswers = {BmpFilter};
    QVERIFY(save.Execute(nullptr));
    QCOMPARE(save.FileName(), QStringLiteral("/tmp/d.bmp"));
    QCOMPARE(dialogs->saveFilters.value(0), BmpFilter + QStringLiteral(";;") + PngFilter);
}

QTEST_MAIN(ImageFileFilterTest)

#include "ImageFileFilterTest.moc"
