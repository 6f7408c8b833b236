#pragma once
// Puzzle executables for the application's tests: a copy of a program with payload sections
// appended, written into a temporary folder, and the document and picture they carry.

#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

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
// before and after each test.
class TExecutableFolderTest : public TTemporaryFolderTest
{
protected:
    void SetUp() override;
    void TearDown() override;
};
