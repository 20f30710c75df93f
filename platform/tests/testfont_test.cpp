// The Qt test suites draw with the font shipped in testdata/fonts, not with whichever Liberation
// Sans the machine has: the faces the golden pictures ask for resolve to that very file.
#include <gtest/gtest.h>

#include <QRawFont>

#include "platform/font.h"
#include "testsupport/testsupport.h"

namespace {

// The font file's header table: its checksum and creation date tell one file from another.
QByteArray HeadTable(const QRawFont& font) { return font.fontTable("head"); }

TEST(TestFont, FacesOfTheGoldenPicturesDrawWithTheShippedFile)
{
    const QRawFont shipped(QString::fromStdString(testsupport::TestFontPath()), 12);
    ASSERT_TRUE(shipped.isValid());
    ASSERT_FALSE(HeadTable(shipped).isEmpty());
    for (const char* face : {"Arial", "MS Sans Serif", "Liberation Sans"}) {
        SCOPED_TRACE(face);
        TFont font;
        font.SetName(face);
        font.SetHeight(12);
        const QRawFont drawn = QRawFont::fromFont(font.ToQFont());
        ASSERT_TRUE(drawn.isValid());
        EXPECT_EQ(HeadTable(drawn), HeadTable(shipped));
    }
}

}  // namespace
