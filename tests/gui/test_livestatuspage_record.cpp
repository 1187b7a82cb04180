// Timed recording from the live status page: the record fills only while
// "定时保存" is ticked, the save timer runs only while the page is active,
// and a file that cannot be opened is reported and tried again.
#include "app/pages/livestatuspage.h"
#include "app/pylvexapp.h"
#include "files/logfiles.h"
#include "gui/page_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <memory>
#include <vector>

class TestLiveStatusPageRecord : public QObject, private LivePageFixture {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QDateTime m_now{QDate(2025, 6, 1), QTime(12, 0, 0)};

    void FeedPack()
    {
        Feed(0x19, {77, 98});
        Feed(0x06, {0x14, 0x82, 0, 0, 0, 0, 0x00, 0xFA, 0x00, 0xF5});
        Feed(0x05, {0x0C, 0xE4, 0x0C, 0xEE, 0x0C, 0xDA});
        Feed(0x09, {0, 0, 0});
    }
    QString Path() { return StatusRecordPath(m_now.date()); }
    QStringList Lines()
    {
        QFile f(Path());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString(QStringDecoder("GBK").decode(f.readAll())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        SetLogBaseFolder(m_dir->path());
        OpenPage();
        m_page->SetWallClock([this] { return m_now; });
    }
    void cleanup()
    {
        ClosePage();
        SetLogBaseFolder(QString());
    }

    void recordFillsOnlyWhileTicked()
    {
        QVERIFY(m_page->OnSetActive());
        FeedPack();
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        m_page->OnTimer(TIMER_RECORD);
        QVERIFY(!QFile::exists(Path()));
        FeedPack();
        m_page->OnTimer(TIMER_RECORD);
        QStringList lines = Lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(
            lines[0].startsWith(QStringLiteral("时间,SOC,总电压,总电流,保护状态,温度1,温度2,节1,节2,节3,最高电压")));
        QCOMPARE(lines[1].split(',').mid(0, 10),
                 QStringList({"12:00:00", "77", "52500", "0", "无", "25.0", "24.5", "3300", "3310", "3290"}));
        QCOMPARE(lines[1].split(',').size(), 26);
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 0);
        m_page->OnTimer(TIMER_RECORD);
        QCOMPARE(Lines().size(), 2);
    }

    void saveTimerFollowsThePage()
    {
        m_page->SetDlgItemText(IDC_SAVE_PERIOD, QStringLiteral("2"));
        QVERIFY(!m_page->IsTimerActive(TIMER_RECORD));
        QVERIFY(m_page->OnSetActive());
        QVERIFY(m_page->IsTimerActive(TIMER_RECORD));
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        FeedPack();
        QTRY_VERIFY_WITH_TIMEOUT(Lines().size() >= 2, 5000); // the real 2 s timer wrote a row
        m_page->OnKillActive();
        QVERIFY(!m_page->IsTimerActive(TIMER_RECORD));
        m_page->SetDlgItemText(IDC_SAVE_PERIOD, QStringLiteral("3"));
        QVERIFY(!m_page->IsTimerActive(TIMER_RECORD)); // a new period does not start it
        QVERIFY(m_page->OnSetActive());
        QVERIFY(m_page->IsTimerActive(TIMER_RECORD));
    }

    void unopenableFileIsReportedAndRetried()
    {
        PylvexApp *app = theApp();
        app->m_bLogError = true;
        app->GetLogModel()->ClearRows();
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        FeedPack();
        m_page->OnTimer(TIMER_RECORD);
        QCOMPARE(Lines().size(), 2);
        // The next day's file is blocked by a folder of its name.
        m_now = m_now.addDays(1);
        QVERIFY(QDir().mkpath(Path()));
        m_page->OnTimer(TIMER_RECORD);
        QCOMPARE(app->GetLogModel()->rowCount(), 1);
        QCOMPARE(app->GetLogModel()->Row(0).level, 3);
        QCOMPARE(app->GetLogModel()->Row(0).title, QStringLiteral("定时保存"));
        // The row names the file with its full path and the reason in words.
        const QString text = app->GetLogModel()->Row(0).text;
        QVERIFY2(text.contains(QFileInfo(Path()).absoluteFilePath()), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("同名的文件夹占用了这个文件名")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("1 行记录暂存在内存中")), qPrintable(text));
        QFile info(LogFilePath(QStringLiteral("Log_info"), QStringLiteral("txt")));
        QVERIFY(info.open(QIODevice::ReadOnly));
        QVERIFY(QString(QStringDecoder("GBK").decode(info.readAll())).contains(QStringLiteral("定时保存：")));
        QVERIFY(QDir(Path()).removeRecursively());
        const QString keptTime = m_now.time().toString(QStringLiteral("HH:mm:ss"));
        m_now = m_now.addSecs(10);
        m_page->OnTimer(TIMER_RECORD);
        // Its own header, the row kept from the failed period, then the new row.
        const QStringList lines = Lines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].startsWith(keptTime + QLatin1Char(',')));
        QVERIFY(lines[2].startsWith(m_now.time().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(',')));
        QCOMPARE(app->GetLogModel()->Row(app->GetLogModel()->rowCount() - 1).level, 6); // the backlog was written
        m_now = m_now.addDays(-1);
        QCOMPARE(Lines().size(), 2); // the first day's rows are untouched
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    return RunWidgetTest<TestLiveStatusPageRecord>(argc, argv);
}

#include "test_livestatuspage_record.moc"
