// Opening a document with the desktop's viewer: the checks made before any
// viewer starts, and the path the viewer receives.

#include "platform/qt_desktop.h"
#include "scripted_desktop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace karvel;

namespace {

int errorOpening(Desktop& desktop, const QString& path) {
    try {
        desktop.openDocument(path);
    } catch (const KarvelError& error) {
        return error.number();
    }
    return 0;
}

TEST(Desktop, MissingFileOrFolderIsReportedBeforeAnyViewer) {
    QTemporaryDir dir;
    ScriptedDesktop desktop;
    EXPECT_EQ(errorOpening(desktop, dir.path() + "/helpkv.rtf"), ErrFileNotFound);
    EXPECT_EQ(errorOpening(desktop, dir.path() + "/gone/helpkv.rtf"), ErrPathNotFound);
    EXPECT_EQ(errorOpening(desktop, dir.path()), ErrFileNotFound);
    EXPECT_TRUE(desktop.opened.empty());
}

TEST(Desktop, ViewerReceivesAPathWithSpacesAsOneArgument) {
    QTemporaryDir dir;
    // A stand-in for xdg-open that writes down the arguments it was given.
    const QString opener = dir.path() + "/opener";
    {
        QFile script(opener);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "out=\"$(dirname \"$0\")/arguments\"\n"
                     "printf '%s\\n' \"$#\" \"$@\" > \"$out.part\" && mv \"$out.part\" \"$out\"\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString folder = dir.path() + "/Ecole du  Parc/LAVOK";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString document = folder + "/helpkv.rtf";
    QFile(document).open(QIODevice::WriteOnly);

    QtDesktop desktop(opener);
    desktop.openDocument(document);

    QFile arguments(dir.path() + "/arguments");
    // The viewer is not waited for: give it time to start.
    for (int waited = 0; !arguments.exists() && waited < 10000; waited += 50)
        QTest::qWait(50);
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(arguments.readAll()), "1\n" + document + "\n");
}

} // namespace
