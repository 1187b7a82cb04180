// Sending a file over a terminal link: the pieces and progress positions,
// the outcome when the link refuses or closes, and the bytes that arrive at
// the far end of a real serial link.
#include "link/filesender.h"
#include "link/termserial.h"
#include "unit/term_link_test.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct PlanCase {
    qint64 size;
    int range;
    std::vector<qint64> sizes;
    std::vector<int> positions;
};

const PlanCase kPlans[] = {
    {0, 1, {0}, {1}},
    {1, 1, {1}, {1}},
    {1023, 1, {1023}, {1}},
    {1024, 1, {1024}, {0}},
    {2048, 2, {1024, 1024}, {0, 1}},
    {3000, 2, {1024, 1024, 952}, {0, 1, 2}},
    {5121, 5, {1024, 1024, 1024, 1024, 1024, 1}, {0, 1, 2, 3, 4, 5}},
};

TEST(FileSender, PiecesAndPositions)
{
    for (const PlanCase &c : kPlans) {
        FilePlan plan = PlanFilePieces(c.size);
        EXPECT_EQ(plan.range, c.range) << c.size;
        std::vector<qint64> sizes;
        std::vector<int> positions;
        qint64 offset = 0;
        for (const FilePiece &p : plan.pieces) {
            EXPECT_EQ(p.offset, offset) << c.size;
            offset += p.size;
            sizes.push_back(p.size);
            positions.push_back(p.position);
        }
        EXPECT_EQ(offset, c.size);
        EXPECT_EQ(sizes, c.sizes) << c.size;
        EXPECT_EQ(positions, c.positions) << c.size;
    }
}

// A link of the test's own: records every write and can refuse or close.
class RecordingLink : public TermLink {
public:
    bool Open() override
    {
        m_open = true;
        return true;
    }
    void Close() override
    {
        if (!m_open)
            return;
        m_open = false;
        emit Closed();
    }
    bool IsOpen() const override { return m_open; }
    qint64 Write(const QByteArray &bytes) override
    {
        if (!m_open)
            return -1;
        writes.push_back(bytes);
        if (closeAfter >= 0 && static_cast<int>(writes.size()) == closeAfter)
            Close();
        if (refuseAt >= 0 && static_cast<int>(writes.size()) == refuseAt)
            return bytes.size() / 2;
        return bytes.size();
    }
    QString ErrorText() const override { return {}; }
    qint64 PendingBytes() const override { return 0; }

    std::vector<QByteArray> writes;
    int refuseAt = -1;
    int closeAfter = -1;

private:
    bool m_open = false;
};

struct SendRun {
    std::vector<int> progress;
    int range = -1;
    qint64 size = -1;
    std::vector<FileSender::Outcome> outcomes;
};

class FileSenderTest : public ::testing::Test {
protected:
    QString MakeFile(qint64 size)
    {
        QString path = m_dir.filePath(QStringLiteral("f%1.bin").arg(size));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        QByteArray bytes;
        for (qint64 i = 0; i < size; ++i)
            bytes.append(static_cast<char>((i * 7 + i / 256) & 0xFF));
        f.write(bytes);
        m_contents = bytes;
        return path;
    }
    SendRun Send(TermLink *link, const QString &path)
    {
        SendRun run;
        FileSender sender(link);
        QObject::connect(&sender, &FileSender::Progress, [&](int p) { run.progress.push_back(p); });
        QObject::connect(&sender, &FileSender::Started, [&](qint64 size, int range) {
            run.size = size;
            run.range = range;
        });
        QObject::connect(&sender, &FileSender::Finished, [&](FileSender::Outcome o) { run.outcomes.push_back(o); });
        sender.Start(path);
        PumpUntil([&] { return !run.outcomes.empty(); }, 10000);
        PumpFor(20);
        return run;
    }

    QTemporaryDir m_dir;
    QByteArray m_contents;
    RecordingLink m_link;
};

struct SendCase {
    qint64 size;
    std::vector<int> pieceSizes;
    int range;
    int lastPosition;
};

const SendCase kSends[] = {
    {2048, {1024, 1024}, 2, 1},
    {3000, {1024, 1024, 952}, 2, 2},
    {0, {0}, 1, 1},
    {700, {700}, 1, 1},
};

TEST_F(FileSenderTest, WholeFilesInPieces)
{
    m_link.Open();
    for (const SendCase &c : kSends) {
        m_link.writes.clear();
        SendRun run = Send(&m_link, MakeFile(c.size));
        ASSERT_EQ(run.outcomes, std::vector<FileSender::Outcome>{FileSender::Outcome::Sent}) << c.size;
        EXPECT_EQ(run.size, c.size);
        EXPECT_EQ(run.range, c.range);
        ASSERT_FALSE(run.progress.empty());
        EXPECT_EQ(run.progress.back(), c.lastPosition);
        std::vector<int> sizes;
        QByteArray joined;
        for (const QByteArray &w : m_link.writes) {
            sizes.push_back(static_cast<int>(w.size()));
            joined += w;
        }
        EXPECT_EQ(sizes, c.pieceSizes) << c.size;
        EXPECT_EQ(joined, m_contents);
    }
}

TEST_F(FileSenderTest, NothingToSend)
{
    m_link.Open();
    EXPECT_EQ(Send(&m_link, QString()).outcomes, std::vector<FileSender::Outcome>{FileSender::Outcome::NoFile});
    EXPECT_EQ(Send(&m_link, m_dir.filePath(QStringLiteral("missing.txt"))).outcomes,
              std::vector<FileSender::Outcome>{FileSender::Outcome::OpenFailed});
    m_link.Close();
    EXPECT_EQ(Send(&m_link, MakeFile(10)).outcomes, std::vector<FileSender::Outcome>{FileSender::Outcome::LinkClosed});
    EXPECT_TRUE(m_link.writes.empty());
}

TEST_F(FileSenderTest, LinkClosingMidFileStops)
{
    m_link.Open();
    m_link.closeAfter = 3;
    SendRun run = Send(&m_link, MakeFile(10 * 1024));
    EXPECT_EQ(run.outcomes, std::vector<FileSender::Outcome>{FileSender::Outcome::LinkClosed});
    EXPECT_EQ(m_link.writes.size(), 3u);
}

TEST_F(FileSenderTest, PieceNotTakenStops)
{
    m_link.Open();
    m_link.refuseAt = 2;
    SendRun run = Send(&m_link, MakeFile(10 * 1024));
    EXPECT_EQ(run.outcomes, std::vector<FileSender::Outcome>{FileSender::Outcome::LinkRefused});
    EXPECT_EQ(m_link.writes.size(), 2u);
    EXPECT_EQ(run.progress, (std::vector<int>{0, 0}));
}

TEST_F(FileSenderTest, CancelStops)
{
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TermSerialLink link;
    TermLineSettings s;
    s.port = pty.SlavePath();
    link.SetSettings(s);
    ASSERT_TRUE(link.Open());
    FileSender sender(&link);
    std::vector<FileSender::Outcome> outcomes;
    QObject::connect(&sender, &FileSender::Finished, [&](FileSender::Outcome o) { outcomes.push_back(o); });
    // nobody reads the far end: the pseudo-terminal fills and the send waits
    ASSERT_TRUE(sender.Start(MakeFile(4 * 1024 * 1024)));
    PumpFor(200);
    EXPECT_TRUE(sender.IsSending());
    EXPECT_LT(sender.SentBytes(), 4 * 1024 * 1024);
    sender.Cancel();
    EXPECT_EQ(outcomes, std::vector<FileSender::Outcome>{FileSender::Outcome::Cancelled});
    EXPECT_FALSE(sender.IsSending());
}

TEST_F(FileSenderTest, BytesArriveOverASerialLink)
{
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TermSerialLink link;
    TermLineSettings s;
    s.port = pty.SlavePath();
    link.SetSettings(s);
    ASSERT_TRUE(link.Open());
    QString path = MakeFile(200 * 1024 + 17);
    FileSender sender(&link);
    std::vector<FileSender::Outcome> outcomes;
    int lastPosition = -1;
    QObject::connect(&sender, &FileSender::Finished, [&](FileSender::Outcome o) { outcomes.push_back(o); });
    QObject::connect(&sender, &FileSender::Progress, [&](int p) { lastPosition = p; });
    ASSERT_TRUE(sender.Start(path));
    QByteArray got;
    PumpUntil(
        [&] {
            std::vector<std::uint8_t> chunk = pty.Read(10, 65536);
            got.append(reinterpret_cast<const char *>(chunk.data()), static_cast<qsizetype>(chunk.size()));
            return got.size() >= m_contents.size() && !outcomes.empty();
        },
        20000);
    EXPECT_EQ(outcomes, std::vector<FileSender::Outcome>{FileSender::Outcome::Sent});
    EXPECT_EQ(got, m_contents);
    EXPECT_EQ(lastPosition, 200);
}

} // namespace
