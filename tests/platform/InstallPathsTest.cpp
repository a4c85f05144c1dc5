#include "platform/InstallPaths.h"
#include "support/ScopedEnv.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A folder tree as an installation or a build lays it out, made on demand.
struct Tree {
    QTemporaryDir root;
    QString path(const QString& relative) const { return root.filePath(relative); }
    void make(const QString& relative) const { ASSERT_TRUE(QDir().mkpath(path(relative))); }
};

} // namespace

TEST(InstallPaths, AnInstalledProgramReadsTheShareFolderBesideItsBinFolder) {
    Tree tree;
    tree.make("usr/bin");
    tree.make("usr/share/trellis/help");
    EXPECT_EQ(DataDirectoryFrom(tree.path("usr/bin"), {}), tree.path("usr/share/trellis"));
    // Only the default configurations are there: still the data folder.
    Tree defaultsOnly;
    defaultsOnly.make("opt/bin");
    defaultsOnly.make("opt/share/trellis/defaults");
    EXPECT_EQ(DataDirectoryFrom(defaultsOnly.path("opt/bin"), {}),
              defaultsOnly.path("opt/share/trellis"));
}

TEST(InstallPaths, AProgramInItsBuildFolderReadsTheFilesBesideItself) {
    Tree tree;
    tree.make("build/app/help");
    EXPECT_EQ(DataDirectoryFrom(tree.path("build/app"), {}), tree.path("build/app"));
    // An installation wins over files that happen to lie beside the program.
    tree.make("build/share/trellis/defaults");
    EXPECT_EQ(DataDirectoryFrom(tree.path("build/app"), {}), tree.path("build/share/trellis"));
}

TEST(InstallPaths, WithoutFilesAnywhereTheInstalledPlaceIsNamed) {
    Tree tree;
    tree.make("usr/bin");
    EXPECT_EQ(DataDirectoryFrom(tree.path("usr/bin"), {}), tree.path("usr/share/trellis"));
}

TEST(InstallPaths, TheVariableNamesTheDataFolderWhateverLiesBesideTheProgram) {
    Tree tree;
    tree.make("usr/share/trellis/help");
    EXPECT_EQ(DataDirectoryFrom(tree.path("usr/bin"), "/srv/trellis-data/"), "/srv/trellis-data");

    const ScopedEnv data("TRELLIS_DATA_DIR", "/srv/trellis-data");
    EXPECT_EQ(DataDirectory(), "/srv/trellis-data");
    EXPECT_EQ(HelpPagePath(), "/srv/trellis-data/help/index.html");
    EXPECT_EQ(DefaultConfigurationPath("Format625_25Hz_2To1"),
              "/srv/trellis-data/defaults/Format625_25Hz_2To1.xml");
}
