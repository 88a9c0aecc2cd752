// The document apart from the viewer: a file and a memory TIFF read alike, sources that are not
// there refused with the user's messages, a failed write's way back, and the form a picture is
// written back in.
#include "imaging/docview/VisDocument.h"
#include "imaging/docview/tests/TiffFixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orva::imaging;
using orva::imaging::test::colourPage;
using orva::imaging::test::formPage;
using orva::imaging::test::TiffPage;
using orva::imaging::test::writeTiff;

namespace {

class VisDocumentTest : public ::testing::Test {
protected:
    QString tiff(const char *name, const std::vector<TiffPage> &pages) {
        const QString file = m_dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(writeTiff(file, pages));
        return file;
    }
    static QByteArray bytesOf(const QString &file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Reads a page as the viewer does: the page read, then its information and form.
    static void show(VisDocument &doc, int page) {
        DibBlock dib;
        ASSERT_TRUE(doc.ReadPage(page, 0, dib, nullptr));
        doc.SetTiffPage(page);
        doc.TakePage(std::move(dib));
        ASSERT_TRUE(doc.ReadInfo(nullptr));
        doc.KeepPageForm();
    }
    QTemporaryDir m_dir;
};

TEST_F(VisDocumentTest, AFileAndAMemoryImageAreReadAlike) {
    const QString file = tiff("three.tif", {{formPage(80, 40, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4},
                                            {formPage(80, 40, {10, 0, 10, 10}), COMPRESSION_CCITTFAX4},
                                            {formPage(60, 30, {20, 0, 10, 10}), COMPRESSION_CCITTFAX4}});
    VisDocument onDisk;
    onDisk.SetFile(file);
    show(onDisk, 2);
    VisDocument inMemory;
    inMemory.SetStream(bytesOf(file));
    show(inMemory, 2);
    for (const VisDocument *doc : {&onDisk, &inMemory}) {
        EXPECT_EQ(doc->TiffPageCount(), 3);
        EXPECT_EQ(doc->TiffPage(), 2);
        EXPECT_EQ(doc->Info().Page, 2);
        EXPECT_EQ(doc->Info().FileSize, QFile(file).size());
        EXPECT_EQ(doc->Image().Width(), 60);
        EXPECT_EQ(doc->PictureBits(), 1);
    }
    EXPECT_EQ(onDisk.Info().FileName, file);
    EXPECT_TRUE(onDisk.Info().FromFile);
    EXPECT_EQ(inMemory.FileName(), QStringLiteral("STREAM"));
    EXPECT_TRUE(inMemory.Info().FileName.isEmpty());
    EXPECT_FALSE(inMemory.Info().FromFile);
    EXPECT_TRUE(inMemory.AnnoPicture().isEmpty()); // a memory image has no annotation file
}

TEST_F(VisDocumentTest, WhatIsNotThereIsRefusedWithItsMessage) {
    VisDocument doc;
    QString error;
    EXPECT_FALSE(doc.RequireImage(&error));
    EXPECT_EQ(error, QStringLiteral("Input image is empty"));
    error.clear();
    EXPECT_TRUE(doc.GetScaledDib(50, S_Gray_None, &error).isNull());
    EXPECT_EQ(error, QStringLiteral("Input image is empty"));

    doc.SetFile(m_dir.filePath(QStringLiteral("gone.tif")));
    error.clear();
    EXPECT_FALSE(doc.RequireSource(&error));
    EXPECT_EQ(error, QStringLiteral("Input filename isn't valid"));
    error.clear();
    EXPECT_FALSE(doc.ReadInfo(&error));
    EXPECT_EQ(error, QStringLiteral("Input filename isn't valid"));

    doc.SetStream(QByteArray());
    error.clear();
    EXPECT_FALSE(doc.RequireSource(&error));
    EXPECT_EQ(error, QStringLiteral("Stream is nil or empty"));
    error.clear();
    EXPECT_FALSE(doc.ReadInfo(&error));
    EXPECT_EQ(error, QStringLiteral("Stream is nil or empty"));

    doc.SetStream(QByteArray(100, 'x'));
    error.clear();
    EXPECT_FALSE(doc.ReadInfo(&error));
    EXPECT_EQ(error, QStringLiteral("Could not determine fileinfo. Error GetTiffInfo"));
}

// A write names its target first; when it fails, the document is back on the file or memory image
// it had, bytes and all.
TEST_F(VisDocumentTest, AFailedWriteGoesBackToTheSource) {
    const QString file = tiff("one.tif", {{formPage(80, 40, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4}});
    VisDocument doc;
    doc.SetStream(bytesOf(file));
    const VisDocument::SourceMark mark = doc.SetWriteTarget(m_dir.filePath(QStringLiteral("new.tif")));
    EXPECT_FALSE(doc.FromStream());
    EXPECT_EQ(doc.FileName(), m_dir.filePath(QStringLiteral("new.tif")));
    doc.RestoreSource(mark);
    EXPECT_TRUE(doc.FromStream());
    EXPECT_EQ(doc.FileName(), QStringLiteral("STREAM"));
    EXPECT_TRUE(doc.ReadInfo(nullptr)); // the memory image came back with its bytes

    // "stream" in any case is the memory image, which stays held.
    doc.SetWriteTarget(QStringLiteral("Stream"));
    EXPECT_TRUE(doc.FromStream());
    EXPECT_TRUE(doc.RequireSource(nullptr));
}

// A picture goes back at its page's depth and compression; once pasted or scanned it is its own,
// and a compression its depth cannot hold gives way to the chosen one, else LZW.
TEST_F(VisDocumentTest, APictureGoesBackInItsPagesForm) {
    const QString file = tiff("mixed.tif", {{colourPage(40, 20, 4), COMPRESSION_LZW},
                                            {formPage(80, 40, {0, 0, 10, 10}), COMPRESSION_CCITTFAX4}});
    VisDocument doc;
    doc.SetFile(file);
    show(doc, 0);
    EXPECT_EQ(doc.PictureBits(), 24);
    EXPECT_EQ(doc.PictureCompression(24, sNONE).code, COMPRESSION_LZW);

    // The effects keep the page's compression but not its depth.
    doc.SetPicture(doc.Image().CopyDib(), true);
    EXPECT_EQ(doc.PictureCompression(24, sNONE).code, COMPRESSION_LZW);

    show(doc, 1);
    EXPECT_EQ(doc.PictureBits(), 1);
    EXPECT_EQ(doc.PictureCompression(1, sNONE).code, COMPRESSION_CCITTFAX4);
    // Fax compression cannot hold 8 bits: the chosen one, or LZW when that cannot either.
    EXPECT_EQ(doc.PictureCompression(8, sPACKBITS).code, COMPRESSION_PACKBITS);
    EXPECT_EQ(doc.PictureCompression(8, sFAXCCITT4).code, COMPRESSION_LZW);

    doc.SetPicture(doc.Image().CopyDib());
    EXPECT_EQ(doc.PictureCompression(1, sNONE).code, COMPRESSION_NONE);
}

} // namespace
