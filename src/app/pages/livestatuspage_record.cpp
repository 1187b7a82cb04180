// Live status page: the save period and the timed recording into the daily CSV file.
#include "app/framework/pagehost.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/livestatuspage_trace.h"
#include "files/logfiles.h"

#include <QLineEdit>

namespace {
// Leading decimal digits as a number; text that does not start with one is 0.
int LeadingNumber(const QString &text)
{
    long long value = 0;
    for (QChar c : text.trimmed()) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 1000000)
            break;
    }
    return static_cast<int>(value);
}
} // namespace

void LiveStatusPage::OnSavePeriodChanged()
{
    int value = LeadingNumber(GetDlgItemText(IDC_SAVE_PERIOD));
    if (value < 1 || value > 60) {
        value = value < 1 ? 1 : 60;
        SetDlgItemText(IDC_SAVE_PERIOD, QString::number(value)); // comes back here once, in range
        return;
    }
    if (value == m_nSaveInterval / 1000)
        return;
    Trace("nValue:%d\n", value);
    m_nSaveInterval = value * 1000;
    if (IsTimerActive(TIMER_RECORD))
        SetTimer(TIMER_RECORD, m_nSaveInterval);
    Trace("修改了保存间隔 %d \n", m_nSaveInterval);
}

void LiveStatusPage::WriteStatusRecord()
{
    RecordWriteResult result = m_recorder.Write(m_record, m_wallClock());
    const QString title = QStringLiteral("定时保存");
    QString text;
    if (result.outcome == RecordWriteResult::Failed) {
        text = tr("无法写入 %1：%2。%n 行记录暂存在内存中，待可以写入时补写。", nullptr, result.pending)
                   .arg(result.path, result.reason);
    } else if (result.flushed > 0) {
        text = tr("已补写 %n 行暂存的记录（%1）。", nullptr, result.flushed).arg(LogFolder());
    }
    if (result.dropped > 0)
        text += tr("暂存的记录已满，最早的 %n 行已丢弃。", nullptr, result.dropped);
    if (text.isEmpty())
        return;
    int level = result.outcome == RecordWriteResult::Failed || result.dropped > 0 ? 3 : 6;
    if (Host())
        Host()->WriteLog(level, title, text);
    if (level == 3)
        LogInfoText(QStringLiteral("定时保存：%1").arg(text));
}
