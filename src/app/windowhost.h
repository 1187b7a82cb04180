// The main window's side of the page host: forwards every call to the window.
#pragma once

#include "app/framework/pagehost.h"

#include <QMetaObject>

#include <cstdint>

class CPylvexDlg;

class CWindowHost : public CPageHost {
    Q_OBJECT
public:
    explicit CWindowHost(CPylvexDlg &dlg);

    bool IsPortOpen() const override;
    bool OpenPort(bool interactive) override;
    void ClosePort() override;
    bool SendFrame(const std::uint8_t *payload, std::size_t count, const QObject *from = nullptr) override;
    bool SendRaw(const std::uint8_t *bytes, std::size_t count, const QObject *from = nullptr) override;
    void ClearQueues() override;
    bool TxQueueEmpty() const override;
    CCfgPageBase *ActivePage() const override;
    bool ShowPage(CCfgPageBase *page) override;
    CCfgPageBase *FindPage(PageKind kind) const override;
    void RegisterPage(CCfgPageBase *page) override;
    void WriteLog(int level, const QString &title, const QString &text) override;
    CInnerGate &Gate() override;
    void SetYModemReceiver(QObject *receiver) override;
    void HoldLine(QObject *holder) override;
    bool LineHeld() const override;

private:
    CPylvexDlg &m_dlg;
    std::uintptr_t m_holdId = 0; // the port's id of the line's holder, 0 when none
    QMetaObject::Connection m_holderGone;
};
