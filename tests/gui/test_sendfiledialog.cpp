// The file sending dialog over real links: UDP (every piece is one datagram,
// so the receiver sees the piece sizes), the serial link on a pseudo-
// terminal (a peer that stops reading, then vanishes), and the terminal
// page's button that opens the dialog on its current link.
#include "app/dialogs/filedialogex.h"
#include "app/dialogs/sendfiledialog.h"
#include "app/framework/msgbox.h"
#include "gui/page_fixture.h"
#include "gui/terminal_helpers.h"
#include "link/termtcpserver.h"
#include "link/termudp.h"
#include "unit/term_link_test.h"

#include "gui/widget_test_main.h"

#include <QDir>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
QByteArray Pattern(qint64 size)
{
    QByteArray bytes(size, '\0');
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

// The names a file dialog's filter ("文本 (*.txt *.log)") lets through.
QStringList MatchingNames(const QString &filter, const QStringList &names)
{
    QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\(([^)]*)\\)")).match(filter);
    const QStringList patterns = m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList out;
    for (const QString &name : names)
        if (QDir::match(patterns, name))
            out << name;
    return out;
}
} // namespace

class TestSendFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    static QStringList LogLines(const SendFileDialog &dialog) { return dialog.Log()->toPlainText().split(u'\n'); }

private slots:
    void cleanup() { SetModalHook(nullptr); }

    void piecesAsDatagrams_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("pieces");
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("position");
        QTest::newRow("2048") << 2048 << QList<int>{1024, 1024} << 2 << 1;
        QTest::newRow("3000") << 3000 << QList<int>{1024, 1024, 952} << 2 << 2;
        QTest::newRow("1023") << 1023 << QList<int>{1023} << 1 << 1;
        QTest::newRow("1024") << 1024 << QList<int>{1024} << 1 << 0;
    }
    void piecesAsDatagrams()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, pieces);
        QFETCH(int, range);
        QFETCH(int, position);
        QUdpSocket receiver;
        QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
        TermUdpLink link;
        link.SetLocalPort(0);
        link.SetTarget("127.0.0.1", receiver.localPort());
        QVERIFY(link.Open());
        const QByteArray content = Pattern(size);
        SendFileDialog dialog(&link);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("文件发送"));
        QCOMPARE(dialog.Progress()->maximum(), 10);
        dialog.SetSendPath(WriteFile("f.bin", content));
        dialog.OnBtnClickSend();
        QTRY_VERIFY(!dialog.IsSending());
        QCOMPARE(dialog.Progress()->minimum(), 0);
        QCOMPARE(dialog.Progress()->maximum(), range);
        QCOMPARE(dialog.Progress()->value(), position);
        QList<int> got;
        QByteArray joined;
        QVERIFY(PumpUntil(
            [&] {
                while (receiver.hasPendingDatagrams()) {
                    QNetworkDatagram d = receiver.receiveDatagram();
                    got << int(d.data().size());
                    joined += d.data();
                }
                return got.size() >= pieces.size();
            },
            3000));
        QCOMPARE(got, pieces);
        QCOMPARE(joined, content);
        QStringList lines = LogLines(dialog);
        QCOMPARE(lines.mid(0, 3),
                 (QStringList{QStringLiteral(">> 文件大小：%1 B").arg(size), "<< 正在发送...", ">> 发送成功！"}));
        QCOMPARE(lines.value(3), QStringLiteral("--------------------我是分隔线--------------------"));
    }

    void emptyFileSendsOneEmptyPiece()
    {
        TermUdpLink link;
        link.SetLocalPort(0);
        link.SetTarget("127.0.0.1", FreePort(true));
        QVERIFY(link.Open());
        SendFileDialog dialog(&link);
        dialog.SetSendPath(WriteFile("empty.txt", {}));
        dialog.OnBtnClickSend();
        QTRY_VERIFY(!dialog.IsSending());
        QCOMPARE(dialog.Progress()->maximum(), 1);
        QCOMPARE(dialog.Progress()->value(), 1);
        QVERIFY(LogLines(dialog).contains(">> 发送成功！"));
    }

    void noFileAndUnreadableFile()
    {
        TermUdpLink link;
        SendFileDialog dialog(&link);
        dialog.OnBtnClickSend();
        QCOMPARE(LogLines(dialog).last(), QStringLiteral(">> Error：文件不存在"));
        dialog.SetSendPath(m_dir.filePath("nothing-here.txt"));
        dialog.OnBtnClickSend();
        QVERIFY(LogLines(dialog).last().startsWith(QStringLiteral(">> Error：文件无法打开：")));
        QVERIFY(!LogLines(dialog).join('\n').contains("发送成功"));
    }

    void loadThroughTheFileDialog()
    {
        TermUdpLink link;
        SendFileDialog dialog(&link);
        QString path = WriteFile("load.txt", "abc");
        QString filter;
        SetModalHook([&](QDialog *d) {
            auto *files = qobject_cast<QFileDialog *>(d);
            filter = files->nameFilters().join(";;");
            files->selectFile(path);
            return int(QDialog::Accepted);
        });
        dialog.Progress()->setValue(5);
        dialog.findChild<QPushButton *>("load")->click();
        QCOMPARE(dialog.SendPath(), path);
        QCOMPARE(LogLines(dialog).last(), QStringLiteral(">> %1 载入成功").arg(path));
        QCOMPARE(dialog.Progress()->value(), 0);
        // The first filter shows texts only; the last one every file, also those without a suffix.
        const QStringList filters = filter.split(";;");
        QCOMPARE(filters.size(), 2);
        const QStringList names = {"load.txt", "README", "image.bin"};
        QCOMPARE(MatchingNames(filters.first(), names), QStringList({"load.txt"}));
        QCOMPARE(MatchingNames(filters.last(), names), names);
        QCOMPARE(FileDialogEx::StoredFolder("CSendFile::OnBtnClickLoad"), m_dir.path());
    }

    void peerThatStopsReadingThenVanishes()
    {
        PtyPair pty;
        QVERIFY(pty.Ok());
        TermSerialLink link;
        TermLineSettings settings;
        settings.port = pty.SlavePath();
        link.SetSettings(settings);
        QVERIFY(link.Open());
        SendFileDialog dialog(&link);
        dialog.SetSendPath(WriteFile("big.bin", Pattern(4 * 1024 * 1024)));
        dialog.OnBtnClickSend();
        QVERIFY(dialog.IsSending());
        QCOMPARE(dialog.SendButton()->text(), QStringLiteral("停止发送"));
        // Nobody reads: the send waits for the link without holding the window.
        QTest::qWait(300);
        QVERIFY(dialog.IsSending());
        QVERIFY(dialog.Progress()->value() < dialog.Progress()->maximum());
        pty.CloseMaster();
        QTRY_VERIFY(!dialog.IsSending());
        QVERIFY2(LogLines(dialog).last().startsWith(QStringLiteral(">> Error：链路已断开，发送中止")),
                 qPrintable(LogLines(dialog).last()));
        QVERIFY(!LogLines(dialog).join('\n').contains("发送成功"));
        QCOMPARE(dialog.SendButton()->text(), QStringLiteral("发送文件"));
    }

    void stopButtonCancels()
    {
        PtyPair pty;
        TermSerialLink link;
        TermLineSettings settings;
        settings.port = pty.SlavePath();
        link.SetSettings(settings);
        QVERIFY(link.Open());
        SendFileDialog dialog(&link);
        dialog.SetSendPath(WriteFile("big2.bin", Pattern(4 * 1024 * 1024)));
        dialog.OnBtnClickSend();
        QTest::qWait(100);
        QVERIFY(dialog.IsSending());
        dialog.SendButton()->click();
        QVERIFY(!dialog.IsSending());
        QVERIFY(LogLines(dialog).last().startsWith(QStringLiteral(">> 发送已停止")));
        QVERIFY(link.IsOpen()); // the link itself goes on
    }

    void everyClientOfTheServerGetsTheWholeFile()
    {
        if (SocatPath().isEmpty())
            QSKIP("socat is not installed (Debian package socat, listed in scripts/setup.sh)");
        TermTcpServerLink server;
        server.SetLocalPort(FreePort(false));
        QVERIFY(server.Open());
        std::vector<std::unique_ptr<SocatPeer>> clients;
        for (int i = 0; i < 2; ++i) {
            clients.push_back(std::make_unique<SocatPeer>(
                QStringList{"STDIO", QStringLiteral("TCP4:127.0.0.1:%1").arg(server.LocalPort())}));
            QVERIFY(PumpUntil([&] { return server.Clients().size() == i + 1; }, 3000));
        }
        server.SetSendTarget(0); // every client
        const QByteArray content = Pattern(5000);
        SendFileDialog dialog(&server);
        dialog.SetSendPath(WriteFile("all.bin", content));
        dialog.OnBtnClickSend();
        QTRY_VERIFY(!dialog.IsSending());
        QVERIFY2(LogLines(dialog).contains(">> 发送成功！"), qPrintable(dialog.Log()->toPlainText()));
        for (auto &client : clients)
            QCOMPARE(client->Receive(content.size(), 3000), content);
    }

    void pageOpensTheDialogOnItsCurrentLink()
    {
        FakeHost host;
        auto *page = host.AddPage(new TerminalPage(&host));
        MsgBoxRecorder boxes;
        int runs = 0;
        SetModalHook([&](QDialog *d) {
            if (qobject_cast<SendFileDialog *>(d))
                ++runs;
            return int(QDialog::Rejected);
        });
        page->ClickDlgButton(IDC_TERM_SENDFILE); // closed link: refused with a reason
        QCOMPARE(runs, 0);
        QCOMPARE(boxes.Count(), 1);
        PtyPair pty;
        ChoosePort(page->Uart(), pty.SlavePath());
        QVERIFY(page->Uart()->OpenPort());
        QString path = WriteFile("page.txt", "through the page");
        SetModalHook([&](QDialog *d) {
            auto *dialog = qobject_cast<SendFileDialog *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            ++runs;
            dialog->SetSendPath(path);
            dialog->OnBtnClickSend();
            PumpUntil([&] { return !dialog->IsSending(); }, 3000);
            return int(QDialog::Accepted);
        });
        page->ClickDlgButton(IDC_TERM_SENDFILE);
        QCOMPARE(runs, 1);
        QCOMPARE(ToArray(pty.Read(2000, 16)), QByteArray("through the page"));
        QCOMPARE(page->TxTotal(), 0); // file bytes are not counted by the page
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestSendFile>(argc, argv);
}

#include "test_sendfiledialog.moc"
