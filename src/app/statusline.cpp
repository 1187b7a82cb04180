#include "app/statusline.h"

#include <QCoreApplication>
#include <QLabel>

namespace {
QString Clock(const QDateTime &t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

struct StatusText {
    Q_DECLARE_TR_FUNCTIONS(StatusLineView)
};
} // namespace

QString StatusLineText(const StatusFacts &f, const QDateTime &now)
{
    // While the terminal page holds the line the board port is closed on
    // purpose: the line names what holds it and the port that comes back.
    if (!f.takenBy.isEmpty()) {
        const QString port =
            f.port.isEmpty() ? StatusText::tr("未选择串口") : QStringLiteral("%1 %2").arg(f.port, f.settings).trimmed();
        return QStringList{StatusText::tr("串口调试占用 %1；离开本页后恢复 %2").arg(f.takenBy, port),
                           f.mainBoard ? StatusText::tr("主电") : StatusText::tr("副电")}
            .join(QStringLiteral("  |  "));
    }
    QStringList parts;
    parts << (f.port.isEmpty() ? StatusText::tr("未选择串口")
                               : QStringLiteral("%1 %2").arg(f.port, f.settings).trimmed());
    if (f.open)
        parts << StatusText::tr("已连接");
    else if (f.lostAt.isValid())
        parts << StatusText::tr("串口已断开（%1）").arg(Clock(f.lostAt)) +
                     (f.reconnecting ? StatusText::tr("，等待设备重新连接") : QString());
    else
        parts << StatusText::tr("未连接");
    parts << (f.mainBoard ? StatusText::tr("主电") : StatusText::tr("副电"));
    parts << (f.lastAnswer.isValid() ? StatusText::tr("最后应答 %1").arg(Clock(f.lastAnswer))
                                     : StatusText::tr("尚无应答"));
    if (f.open && !f.boardSn.isEmpty() && !f.replacedSn.isEmpty())
        parts << StatusText::tr("板卡已更换：SN %1 → %2").arg(f.replacedSn, f.boardSn);
    if (f.open && f.silentSince.isValid()) {
        qint64 secs = std::max<qint64>(0, f.silentSince.secsTo(now));
        parts << StatusText::tr("板卡无应答（%1 秒）").arg(secs);
    }
    return parts.join(QStringLiteral("  |  "));
}

StatusLineView::StatusLineView(QWidget *parent) : QStatusBar(parent), m_label(new QLabel(this))
{
    setSizeGripEnabled(false);
    setContentsMargins(0, 0, 0, 0);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addWidget(m_label, 1);
}

void StatusLineView::Show(const StatusFacts &facts, const QDateTime &now)
{
    m_alarming = facts.takenBy.isEmpty() && (facts.lostAt.isValid() || (facts.open && facts.silentSince.isValid()));
    m_label->setText(StatusLineText(facts, now));
    // Trouble in the error colour, so it is the first thing seen.
    m_label->setStyleSheet(m_alarming ? QStringLiteral("color: #c00000; font-weight: bold;") : QString());
}

QString StatusLineView::Text() const
{
    return m_label->text();
}
