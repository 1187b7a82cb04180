// A profile written by earlier versions keeps working: the port settings, the
// command interval, the log gates and the folders the file pickers remember
// are read under the keys stored files spell today, and the pickers' folders
// that earlier versions kept in a second file are taken over once.
#include "app/dialogs/filedialogex.h"
#include "app/mainwindow.h"
#include "app/pylvexapp.h"
#include "app/settings.h"
#include "app/userprofile.h"

#include "gui/widget_test_main.h"
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString ProfilePath()
{
    return UserProfile().fileName();
}

QString StrayPath()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"))
        .fileName();
}

void WriteText(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}
} // namespace

class TestStoredProfile : public QObject {
    Q_OBJECT
    QTemporaryDir m_folders;

private slots:
    void init()
    {
        QFile::remove(ProfilePath());
        QFile::remove(StrayPath());
    }

    // The file as the program writes it: keys of file pickers spell the old
    // handler names, with the INI format's escapes.
    void readsAProfileWrittenWithTodaysKeys()
    {
        const QString exportFolder = m_folders.filePath(QStringLiteral("exports"));
        const QString imageFolder = m_folders.filePath(QStringLiteral("images"));
        QVERIFY(QDir().mkpath(exportFolder) && QDir().mkpath(imageFolder));
        WriteText(ProfilePath(), "[IniProfile]\n"
                                 "PortNum=ttyUSB3\nBaud=115200\nParity=Even\nDataBits=7\nStopBits=2\n"
                                 "CmdSndInvl=250\nLogMask=5\nAutoReconnect=false\n\n"
                                 "[PrevPath]\n"
                                 "CCfgPageLog%3A%3AOnClickMenu_EXPORT=" +
                                     exportFolder.toUtf8() +
                                     "\n"
                                     "CDlgFireware%3A%3AOnBtnClickSelectFile=" +
                                     imageFolder.toUtf8() + "\n");
        PylvexApp *app = theApp();
        QVERIFY(app);
        PortSettings port;
        LoadSettings(*app, port);
        QCOMPARE(port.portNum, QStringLiteral("ttyUSB3"));
        QCOMPARE(port.baud, QStringLiteral("115200"));
        QCOMPARE(port.parity, QStringLiteral("Even"));
        QCOMPARE(port.dataBits, QStringLiteral("7"));
        QCOMPARE(port.stopBits, QStringLiteral("2"));
        QCOMPARE(port.autoReconnect, false);
        QCOMPARE(app->m_nCmdSndInvl.load(), 250);
        QCOMPARE(app->m_bLogError, true);
        QCOMPARE(app->m_bLogWarning, false);
        QCOMPARE(app->m_bLogInfo, true);
        QCOMPARE(StartFolder(QStringLiteral("CCfgPageLog::OnClickMenu_EXPORT")), exportFolder);
        QCOMPARE(FileDialogEx::StoredFolder(QStringLiteral("CDlgFireware::OnBtnClickSelectFile")), imageFolder);

        // Written back under the same keys.
        SaveSettings(*app, port);
        QSettings again(ProfilePath(), QSettings::IniFormat);
        QCOMPARE(again.value(QStringLiteral("IniProfile/CmdSndInvl")).toString(), QStringLiteral("250"));
        QCOMPARE(again.value(QStringLiteral("IniProfile/PortNum")).toString(), QStringLiteral("ttyUSB3"));
        QCOMPARE(again.value(QStringLiteral("PrevPath/CCfgPageLog::OnClickMenu_EXPORT")).toString(), exportFolder);
    }

    // The second file of earlier versions: its entries join the profile
    // unless the profile has its own, and the stray file goes.
    void takesOverTheStrayFileOnce()
    {
        const QString mine = m_folders.filePath(QStringLiteral("mine"));
        const QString stray = m_folders.filePath(QStringLiteral("stray"));
        QVERIFY(QDir().mkpath(mine) && QDir().mkpath(stray));
        WriteText(ProfilePath(), "[PrevPath]\nCCfgPageLog%3A%3AOnClickMenu_EXPORT=" + mine.toUtf8() + "\n");
        WriteText(StrayPath(), "[PrevPath]\n"
                               "CCfgPageLog%3A%3AOnClickMenu_EXPORT=" +
                                   stray.toUtf8() +
                                   "\n"
                                   "CDlgFireware%3A%3AOnBtnClickSelectFile=" +
                                   stray.toUtf8() + "\n");
        AdoptStrayProfile();
        QCOMPARE(RememberedFolder(QStringLiteral("CCfgPageLog::OnClickMenu_EXPORT")), mine);
        QCOMPARE(RememberedFolder(QStringLiteral("CDlgFireware::OnBtnClickSelectFile")), stray);
        QVERIFY(!QFile::exists(StrayPath()));
        QVERIFY(ProfilePath() != StrayPath());
    }

    // With nothing remembered (or a folder that is gone) a picker opens in the
    // user's documents or home folder, never in the folder the program was started from.
    void pickersStartOutsideTheWorkingFolder()
    {
        QTemporaryDir cwd;
        const QString before = QDir::currentPath();
        QDir::setCurrent(cwd.path());
        const QString gone = m_folders.filePath(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(gone));
        RememberFolderOf(QStringLiteral("CSendFile::OnBtnClickLoad"), gone + QStringLiteral("/a.txt"));
        QVERIFY(QDir(gone).removeRecursively());
        for (const QString &key :
             {QStringLiteral("CCfgPageRecord::OnClickMenu_EXPORT"), QStringLiteral("CSendFile::OnBtnClickLoad")}) {
            const QString start = StartFolder(key);
            QVERIFY2(QFileInfo(start).isDir(), qPrintable(start));
            QVERIFY2(QDir(start) != QDir(cwd.path()), qPrintable(start));
        }
        QDir::setCurrent(before);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestStoredProfile>(argc, argv);
}

#include "test_stored_profile.moc"
