#include "platform/FileNames.h"

#include <gtest/gtest.h>

TEST(FileNames, FilterPatternsAndTheExtensionTheyImply) {
    EXPECT_EQ(FilterPatterns("XML file (*.xml)"), QStringList{"*.xml"});
    EXPECT_EQ(FilterPatterns("Images (*.png *.jpg)"), (QStringList{"*.png", "*.jpg"}));
    EXPECT_EQ(FilterPatterns("Text (*.txt; *.text)"), (QStringList{"*.txt", "*.text"}));
    EXPECT_EQ(FilterPatterns("Backups (old) (*.bak)"), QStringList{"*.bak"});
    EXPECT_EQ(FilterPatterns("*.cfg"), QStringList{"*.cfg"});
    EXPECT_EQ(FilterPatterns("Anything ()"), QStringList{"*"});
    EXPECT_EQ(FilterPatterns(""), QStringList{"*"});

    EXPECT_EQ(PatternExtension({"*.xml"}), ".xml");
    EXPECT_EQ(PatternExtension({"*.png", "*.jpg"}), ".png");
    for (const QStringList& none : {QStringList{"*"}, QStringList{"data*"}, QStringList{"*.x?l"},
                                    QStringList{"*.*"}, QStringList{"*."}, QStringList{}})
        EXPECT_TRUE(PatternExtension(none).isEmpty()) << none.join(' ').toStdString();
}

TEST(FileNames, TheExtensionIsAddedOnlyWhereItIsMissing) {
    EXPECT_EQ(WithExtension("studio", ".xml"), "studio.xml");
    EXPECT_EQ(WithExtension("STUDIO.XML", ".xml"), "STUDIO.XML");
    EXPECT_EQ(WithExtension("studio.xml.bak", ".xml"), "studio.xml.bak.xml");
    EXPECT_EQ(WithExtension("xml", ".xml"), "xml.xml");
    EXPECT_EQ(WithExtension("studio", ""), "studio");
}

TEST(FileNames, APlainNameNamesAFileInTheFolderAndFitsIt) {
    for (const char* good : {"studio.xml", "evening news", "...", ".studio", "a..b"})
        EXPECT_TRUE(IsPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "/", "sub/studio", "/etc/passwd", "c:\\studio"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    // Counted in bytes: "é" takes two.
    EXPECT_TRUE(FitsFileNameLength(QString(255, 'a')));
    EXPECT_FALSE(FitsFileNameLength(QString(256, 'a')));
    EXPECT_TRUE(FitsFileNameLength(QString(127, QChar(0x00E9))));
    EXPECT_FALSE(FitsFileNameLength(QString(128, QChar(0x00E9))));
}
