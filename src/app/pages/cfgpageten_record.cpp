// Live status page: the save period and the timed recording into the daily CSV file.
#include "app/pages/cfgpageten.h"
#include "app/pages/cfgpageten_trace.h"
#include "app/pylvexapp.h"
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

void CCfgPageTen::OnSavePeriodChanged()
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

void CCfgPageTen::WriteStatusRecord()
{
    RecordWriteResult result = ::WriteStatusRecord(m_record, m_wallClock());
    if (result.outcome != RecordWriteResult::Failed)
        return;
    if (theApp())
        theApp()->WriteLogText(3, QStringLiteral("定时保存"), result.error);
    LogInfoText(QStringLiteral("定时保存：%1").arg(result.error));
}
