#pragma once
// A test with a temporary folder of its own. The working folder is the same after the test as
// before it, whatever the code under test made current.

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class TTemporaryFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    void TearDown() override { QDir::setCurrent(m_previousFolder); }

    // Path of a file in the temporary folder.
    QString PathOf(const QString &name) const { return m_folder.filePath(name); }

    const QString m_previousFolder = QDir::currentPath();
    QTemporaryDir m_folder;
};
