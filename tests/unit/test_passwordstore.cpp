// The two stored copies of the password: reading, storing, permissions, and a
// failed change that must leave the old password working.
#include "files/passwordstore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class PasswordStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_profileDir.isValid());
        ASSERT_TRUE(m_dataDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_profileDir.path());
    }
    QString Folder() const { return m_dataDir.filePath(QStringLiteral("local")); }
    static QString ProfileValue()
    {
        QSettings profile(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"),
                          QStringLiteral("Pylvex"));
        return profile.value(QStringLiteral("IniProfile/Pylvex.pwd")).toString();
    }
    static QByteArray FileBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_profileDir;
    QTemporaryDir m_dataDir;
};
} // namespace

TEST_F(PasswordStoreTest, WithoutCopiesTheDefaultPasswordPasses)
{
    PasswordStore store(Folder());
    StoredPassword stored = store.Read();
    EXPECT_EQ(stored.profileCopy, "");
    EXPECT_EQ(stored.fileCopy, "");
    EXPECT_TRUE(store.Check("kvmrt").pass);
    PasswordVerdict wrong = store.Check("abc");
    EXPECT_FALSE(wrong.pass);
    EXPECT_STREQ(PasswordMismatchText(wrong), "密码错误！");
}

TEST_F(PasswordStoreTest, StoreWritesBothCopiesOwnerOnly)
{
    PasswordStore store(Folder());
    // An earlier copy readable by everybody does not pass its permissions on.
    ASSERT_TRUE(QDir().mkpath(Folder()));
    QFile earlier(store.FilePath());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.close();
    ASSERT_TRUE(earlier.setPermissions(earlier.permissions() | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    ASSERT_TRUE(store.Store("a-b_9"));
    EXPECT_EQ(ProfileValue().toStdString(), PasswordDigest("a-b_9", kPasswordSeedProfile));
    // One line without a line end.
    EXPECT_EQ(FileBytes(store.FilePath()).toStdString(), PasswordDigest("a-b_9", kPasswordSeedFile));
    const QFileDevice::Permissions perms = QFile::permissions(store.FilePath());
    EXPECT_TRUE(perms.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_FALSE(perms & others);
    EXPECT_TRUE(store.Check("a-b_9").pass);
    EXPECT_FALSE(store.Check("kvmrt").pass);
    // A second change replaces both.
    ASSERT_TRUE(store.Store("second"));
    EXPECT_TRUE(store.Check("second").pass);
    EXPECT_FALSE(store.Check("a-b_9").pass);
}

TEST_F(PasswordStoreTest, ProfileOnlyDecidesAndShowsTheShortMessage)
{
    ASSERT_TRUE(PasswordStore(QString()).Store("prof"));
    PasswordStore store(Folder());
    EXPECT_TRUE(store.Check("prof").pass);
    PasswordVerdict wrong = store.Check("kvmrt");
    EXPECT_FALSE(wrong.pass);
    EXPECT_STREQ(PasswordMismatchText(wrong), "密码错误");
}

TEST_F(PasswordStoreTest, FileCopyIsReadUpToItsFirstLineEnd)
{
    ASSERT_TRUE(QDir().mkpath(Folder()));
    PasswordStore store(Folder());
    QFile f(store.FilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(PasswordDigest("filed", kPasswordSeedFile)) + "\r\nsecond line\r\n");
    f.close();
    EXPECT_EQ(store.Read().fileCopy, PasswordDigest("filed", kPasswordSeedFile));
    EXPECT_TRUE(store.Check("filed").pass);
}

TEST_F(PasswordStoreTest, FailedFileWriteKeepsTheOldPassword)
{
    PasswordStore good(Folder());
    ASSERT_TRUE(good.Store("old1"));
    // The file copy cannot be written: where its folder should be lies a file.
    const QString notAFolder = m_dataDir.filePath(QStringLiteral("plain-file"));
    QFile blocker(notAFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PasswordStore broken(notAFolder);
    EXPECT_FALSE(broken.Store("new1"));
    EXPECT_EQ(ProfileValue().toStdString(), PasswordDigest("old1", kPasswordSeedProfile));
    EXPECT_TRUE(good.Check("old1").pass);
    EXPECT_FALSE(good.Check("new1").pass);
    EXPECT_TRUE(broken.Check("old1").pass);
}

TEST_F(PasswordStoreTest, FailedProfileWriteKeepsTheOldFileCopy)
{
    PasswordStore store(Folder());
    ASSERT_TRUE(store.Store("old2"));
    const QByteArray before = FileBytes(store.FilePath());
    // The profile cannot be written: its folder is a file.
    QTemporaryDir broken;
    ASSERT_TRUE(broken.isValid());
    QFile blocker(broken.filePath(QStringLiteral("Oramek")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, broken.path());
    EXPECT_FALSE(store.Store("new2"));
    EXPECT_EQ(FileBytes(store.FilePath()), before);
    EXPECT_TRUE(store.Check("old2").pass); // the file copy alone decides now
    EXPECT_FALSE(store.Check("new2").pass);
}
