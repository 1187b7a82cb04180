// Tests whose diagnostic and record files go to a fresh temporary folder.
#pragma once

#include "files/logfiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class LogFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetLogBaseFolder(m_dir.path());
    }
    void TearDown() override { SetLogBaseFolder(QString()); }

    QTemporaryDir m_dir;
};
