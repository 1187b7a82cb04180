#include "app/pages/terminalpanel.h"

#include <QKeyEvent>

void PanelInbox::Push(const QString &peer, const QByteArray &bytes, std::intptr_t flags)
{
    if (bytes.isEmpty())
        return;
    if (!m_chunks.empty() && m_chunks.back().peer == peer)
        m_chunks.back().bytes += bytes;
    else
        m_chunks.push_back({peer, bytes});
    m_nBytes += bytes.size();
    while (m_nBytes > kCapacity && m_chunks.size() > 1) {
        m_nBytes -= m_chunks.front().bytes.size();
        m_nDropped += m_chunks.front().bytes.size();
        m_chunks.pop_front();
    }
    if (m_nBytes > kCapacity) {
        qint64 cut = m_nBytes - kCapacity;
        m_chunks.front().bytes.remove(0, cut);
        m_nBytes -= cut;
        m_nDropped += cut;
    }
    if (!m_bPosted) {
        m_bPosted = true;
        PostMsg(m_pTarget, WM_ONRECEIVE, m_nLinkType + flags + LINK_EVT_DATA, 0);
    }
}

bool PanelInbox::Take(QByteArray *data, QString *source)
{
    m_bPosted = false;
    if (m_chunks.empty())
        return false;
    Chunk chunk = std::move(m_chunks.front());
    m_chunks.pop_front();
    m_nBytes -= chunk.bytes.size();
    if (data)
        *data = std::move(chunk.bytes);
    if (source)
        *source = chunk.peer;
    if (!m_chunks.empty()) {
        // Another source's bytes wait: the page comes back for them.
        m_bPosted = true;
        PostMsg(m_pTarget, WM_ONRECEIVE, m_nLinkType + LINK_EVT_DATA, 0);
    }
    return true;
}

void PanelInbox::Clear()
{
    m_chunks.clear();
    m_nBytes = 0;
}

void LinkCombo::keyPressEvent(QKeyEvent *event)
{
    if ((event->modifiers() & Qt::ControlModifier) &&
        (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}
