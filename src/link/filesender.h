// Sends a file over a terminal link in 1024-byte pieces with a progress
// position per piece. The pieces are handed to the link as it drains, so a
// large file neither freezes the window nor piles up in memory; every piece
// the link does not take, and a link that closes, stops the send.
#pragma once

#include "link/termlink.h"

#include <QFile>
#include <QPointer>
#include <QTimer>

#include <vector>

inline constexpr qint64 kFilePieceSize = 1024;

struct FilePiece {
    qint64 offset;
    qint64 size;
    int position; // the progress position once the piece is handed over
};

struct FilePlan {
    int range = 1; // the progress bar runs from 0 to range
    std::vector<FilePiece> pieces;
};

// Below 1024 bytes: one piece (an empty file gives one empty piece), range 1,
// position 1. Otherwise n = size / 1024 full pieces at positions 0 ... n-1,
// range n, and the rest, when there is one, at position n.
FilePlan PlanFilePieces(qint64 size);

class FileSender : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Sent,
        NoFile,      // no file chosen
        OpenFailed,  // the file cannot be opened
        ReadFailed,  // the file gave fewer bytes than it had
        LinkRefused, // the link took less than a whole piece
        LinkClosed,  // the link closed or was not open
        Cancelled,
    };

    explicit FileSender(TermLink *link, QObject *parent = nullptr);

    // Starts sending; false (after Finished) when nothing can be sent.
    bool Start(const QString &path);
    void Cancel();
    bool IsSending() const { return m_file.isOpen(); }
    qint64 SentBytes() const { return m_sent; }

    // Pieces handed to the link while it has more than this waiting pause.
    static constexpr qint64 kWindow = 16 * kFilePieceSize;

signals:
    void Started(qint64 size, int range);
    void Progress(int position);
    void Finished(FileSender::Outcome outcome);

private:
    void Step();
    void Finish(Outcome outcome);

    QPointer<TermLink> m_link;
    QFile m_file;
    FilePlan m_plan;
    std::size_t m_next = 0;
    qint64 m_sent = 0;
    QTimer m_poll;
};
