// WriteLog: level gates and the 8192/2048 row rule.
#include "app/pylvexapp.h"

#include "gui/widget_test_main.h"
#include <QtTest>

class TestWriteLog : public QObject {
    Q_OBJECT
private slots:
    void gates_data()
    {
        QTest::addColumn<bool>("error");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<bool>("info");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<QString>("shown");
        QTest::newRow("LogMask 1: errors only") << true << false << false << false << "3";
        QTest::newRow("all on") << true << true << true << true << "3467";
        QTest::newRow("LogMask 5: no warnings") << true << false << true << false << "36";
    }
    void gates()
    {
        QFETCH(bool, error);
        QFETCH(bool, warning);
        QFETCH(bool, info);
        QFETCH(bool, debug);
        QFETCH(QString, shown);
        PylvexApp *app = theApp();
        app->GetLogModel()->ClearRows();
        app->m_bLogError = error;
        app->m_bLogWarning = warning;
        app->m_bLogInfo = info;
        app->m_bLogDebug = debug;
        for (int level = 0; level <= 7; ++level)
            app->WriteLog(level, QStringLiteral("t"), "level %d", level);
        QString levels;
        for (int r = 0; r < app->GetLogModel()->rowCount(); ++r)
            levels += QString::number(app->GetLogModel()->Row(r).level);
        QCOMPARE(levels, shown);
    }
    void rowFormat()
    {
        PylvexApp *app = theApp();
        app->GetLogModel()->ClearRows();
        app->m_bLogError = true;
        app->WriteLog(3, QStringLiteral("接收 04 01"), "上位机未处理命令 %02X %02X ，", 0x84, 0x81);
        LogModel *m = app->GetLogModel();
        QCOMPARE(m->rowCount(), 1);
        QCOMPARE(m->data(m->index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("错误"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(m->data(m->index(0, 1), Qt::DisplayRole).toString())
                    .hasMatch());
        QCOMPARE(m->data(m->index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("接收 04 01"));
        QCOMPARE(m->data(m->index(0, 3), Qt::DisplayRole).toString(), QStringLiteral("上位机未处理命令 84 81 ，"));
    }
    void trimsAt8193()
    {
        PylvexApp *app = theApp();
        LogModel *m = app->GetLogModel();
        m->ClearRows();
        app->m_bLogInfo = true;
        for (int i = 0; i < 8193; ++i)
            app->WriteLog(6, QStringLiteral("t"), "%d", i);
        QCOMPARE(m->rowCount(), 8193);
        app->WriteLog(6, QStringLiteral("t"), "%d", 8193);
        QCOMPARE(m->rowCount(), 8193 - 2048 + 1);
        QCOMPARE(m->Row(0).text, QStringLiteral("2048"));
        QCOMPARE(m->Row(m->rowCount() - 1).text, QStringLiteral("8193"));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestWriteLog>(argc, argv);
}

#include "test_writelog.moc"
