#pragma once
// Puzzle executables for the application's tests: a copy of a program with payload sections
// appended, written into a temporary folder, and the document and picture they carry.

#include "support/TestFiles.h"
#include "windows/common/WorkingFolderKeeper.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TSections = QList<QPair<QByteArray, QByteArray>>;

// program + the sections in the given order.
QByteArray WithSections(const QByteArray &program, const TSections &sections);
// A small JPEG file's bytes.
QByteArray SamplePictureBytes();
// A 7 x 7 document text as the maker writes it, without any piece on the desktop.
QByteArray SampleDocumentText();
// The sections of a puzzle: "IS_PUZZLE", "SRC_IMG", "PIG_TXT".
TSections PuzzleSections(const QByteArray &picture, const QByteArray &document);

// A test whose executables live in a temporary folder. The process's executable image is empty
// before and after each test, and the working folder is the same afterwards.
class TExecutableFolderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Path of a file in the temporary folder.
    QString PathOf(const QString &name) const;

    const TWorkingFolderKeeper keeper;
    QTemporaryDir folder;
};
