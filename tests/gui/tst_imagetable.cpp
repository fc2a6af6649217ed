// The one picture loader of both bitmap tables: it takes a Windows bitmap only when the file
// holds every pixel row its header promises and no more than 4096 x 4096 of them, and it
// never waits for a file that is not a regular one.
#include "app/imagetable.h"
#include "library/quorvelerror.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;

class TestImageTable : public QObject {
    Q_OBJECT

private slots:
    void loadsOnlyWholeBitmaps_data();
    void loadsOnlyWholeBitmaps();
};

namespace {

// A picture whose every row and column differs.
QImage picture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 2 % 256, y * 4 % 256, 100));
    return image;
}

// A picture in the given format as Qt writes it, optionally stored top-down; and the picture
// those bytes hold.
QByteArray bitmap(const QImage &source, QImage::Format format, bool topDown, QImage &holds)
{
    const QImage image = source.convertToFormat(format);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    holds = image.convertToFormat(QImage::Format_RGB32);
    if (topDown) { // a negative height: the same rows, read from the top
        const qint32 height = qFromLittleEndian<qint32>(bytes.constData() + 22);
        qToLittleEndian<qint32>(-height, bytes.data() + 22);
        holds = holds.mirrored();
    }
    return bytes;
}

} // namespace

void TestImageTable::loadsOnlyWholeBitmaps_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("cut"); // bytes cut off the end; -1: half the pixel rows
    QTest::addColumn<QString>("special"); // "pipe", or the file the picture's name links to
    QTest::addColumn<QString>("error"); // empty: the picture loads
    const QString invalid = QStringLiteral("Bitmap image is not valid");
    const struct {
        const char *name;
        QImage::Format format;
        bool topDown;
    } kinds[] = {
        {"24-bit", QImage::Format_RGB888, false},
        {"32-bit", QImage::Format_ARGB32, false},
        {"8-bit palette", QImage::Format_Indexed8, false},
        {"1-bit", QImage::Format_Mono, false},
        {"24-bit top-down", QImage::Format_RGB888, true},
    };
    const QSize card(122, 58);
    for (const auto &k : kinds) {
        const auto row = [&](const char *what, int cut, const QString &error) {
            QTest::addRow("%s, %s", k.name, what)
                << int(k.format) << k.topDown << card << cut << QString() << error;
        };
        row("whole", 0, QString());
        row("last byte missing", 1, invalid);
        row("half the rows missing", -1, invalid);
    }
    const int rgb = QImage::Format_RGB888;
    const QString none;
    QTest::addRow("header only") << rgb << false << card << 58 * 368 << none << invalid;
    QTest::addRow("4096 wide") << rgb << false << QSize(4096, 1) << 0 << none << none;
    QTest::addRow("4097 wide") << rgb << false << QSize(4097, 1) << 0 << none << invalid;
    QTest::addRow("4097 high") << rgb << false << QSize(1, 4097) << 0 << none << invalid;
    QTest::addRow("a named pipe") << rgb << false << card << 0 << "pipe" << "Cannot open file ";
    // A file that gives bytes without end, whatever size it claims.
    QTest::addRow("/proc/self/pagemap")
        << rgb << false << card << 0 << "/proc/self/pagemap" << invalid;
}

void TestImageTable::loadsOnlyWholeBitmaps()
{
    QFETCH(int, format);
    QFETCH(bool, topDown);
    QFETCH(QSize, size);
    QFETCH(int, cut);
    QFETCH(QString, special);
    QFETCH(QString, error);
    QImage holds;
    QByteArray bytes = bitmap(picture(size), QImage::Format(format), topDown, holds);
    const qint32 pixelsAt = qFromLittleEndian<qint32>(bytes.constData() + 10);
    bytes.chop(cut >= 0 ? cut : (bytes.size() - pixelsAt) / 2);
    QTemporaryDir folder;
    const auto write = [&](const char *name, const QByteArray &content) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", name);
        return folder.filePath(name).toStdString();
    };
    QImage small(4, 4, QImage::Format_RGB32), before;
    small.fill(Qt::red);
    ImageTable table;
    table.create(3);
    table.load(3, write("before.bmp", bitmap(small, QImage::Format_RGB888, false, before)));
    const std::string card = folder.filePath("card.bmp").toStdString();
    if (special == "pipe")
        QCOMPARE(::mkfifo(card.c_str(), 0600), 0);
    else if (!special.isEmpty())
        QCOMPARE(::symlink(special.toUtf8().constData(), card.c_str()), 0);
    else
        write("card.bmp", bytes);
    QString failure;
    try {
        table.load(3, card);
    } catch (const QuorvelError &e) {
        failure = e.what();
    }
    const QImage &shown = *table.image(3);
    if (error.isEmpty()) {
        QCOMPARE(failure, QString());
        QCOMPARE(shown, holds);
    } else {
        QCOMPARE(failure, error.endsWith(' ') ? error + QString::fromStdString(card) : error);
        QCOMPARE(shown, before);
    }
}

QTEST_MAIN(TestImageTable)
#include "tst_imagetable.moc"
