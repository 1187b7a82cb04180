#include "link/filesender.h"

namespace {
// Pieces handed over in one turn of the event loop at most.
constexpr int kPiecesPerStep = 16;
// How often a link that does not report its drained bytes is looked at.
constexpr int kPollMs = 5;
} // namespace

FilePlan PlanFilePieces(qint64 size)
{
    FilePlan plan;
    if (size < kFilePieceSize) {
        plan.range = 1;
        plan.pieces.push_back({0, size < 0 ? 0 : size, 1});
        return plan;
    }
    qint64 full = size / kFilePieceSize;
    plan.range = static_cast<int>(full);
    for (qint64 i = 0; i < full; ++i)
        plan.pieces.push_back({i * kFilePieceSize, kFilePieceSize, static_cast<int>(i)});
    if (size % kFilePieceSize != 0)
        plan.pieces.push_back({full * kFilePieceSize, size % kFilePieceSize, static_cast<int>(full)});
    return plan;
}

FileSender::FileSender(TermLink *link, QObject *parent) : QObject(parent), m_link(link)
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &FileSender::Step);
    if (link) {
        connect(link, &TermLink::BytesWritten, this, [this] {
            if (IsSending() && m_link && m_link->PendingBytes() < kWindow)
                m_poll.start(0);
        });
        connect(link, &TermLink::Closed, this, [this] {
            if (IsSending())
                Finish(Outcome::LinkClosed);
        });
    }
}

bool FileSender::Start(const QString &path)
{
    if (IsSending())
        return false;
    m_sent = 0;
    if (path.isEmpty()) {
        emit Finished(Outcome::NoFile);
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        emit Finished(Outcome::OpenFailed);
        return false;
    }
    m_plan = PlanFilePieces(m_file.size());
    m_next = 0;
    emit Started(m_file.size(), m_plan.range);
    emit Progress(0);
    if (!m_link || !m_link->IsOpen()) {
        Finish(Outcome::LinkClosed);
        return false;
    }
    m_poll.start(0);
    return true;
}

void FileSender::Cancel()
{
    if (IsSending())
        Finish(Outcome::Cancelled);
}

void FileSender::Step()
{
    m_poll.setInterval(kPollMs);
    for (int n = 0; n < kPiecesPerStep && IsSending(); ++n) {
        if (!m_link || !m_link->IsOpen()) {
            Finish(Outcome::LinkClosed);
            return;
        }
        if (m_link->PendingBytes() >= kWindow)
            return; // the link's BytesWritten or the poll brings us back
        const FilePiece &piece = m_plan.pieces[m_next];
        QByteArray bytes = m_file.read(piece.size);
        if (bytes.size() != piece.size) {
            Finish(Outcome::ReadFailed);
            return;
        }
        qint64 taken = m_link->Write(bytes);
        // A server link with several clients takes the piece once for each.
        if (taken < piece.size) {
            Finish(m_link && !m_link->IsOpen() ? Outcome::LinkClosed : Outcome::LinkRefused);
            return;
        }
        m_sent += piece.size;
        emit Progress(piece.position);
        if (++m_next == m_plan.pieces.size()) {
            Finish(Outcome::Sent);
            return;
        }
    }
}

void FileSender::Finish(Outcome outcome)
{
    m_poll.stop();
    m_file.close();
    emit Finished(outcome);
}
