// The main window's side of the page host: forwards every call to the window.
#pragma once

#include "app/framework/pagehost.h"
#include "app/framework/parameterstore.h"

#include <QPointer>

class MainWindow;

class WindowHost : public PageHost {
    Q_OBJECT
public:
    explicit WindowHost(MainWindow &dlg);

    bool IsPortOpen() const override;
    // The pages show the secondary board of the pair (not the main board).
    bool SecondaryBoardSelected() const override;
    bool OpenPort(bool interactive) override;
    void ClosePort() override;
    bool SendFrame(const std::uint8_t *payload, std::size_t count) override;
    bool SendRaw(const std::uint8_t *bytes, std::size_t count) override;
    void ClearQueues() override;
    bool TxQueueEmpty() const override;
    PageBase *ActivePage() const override;
    bool ShowPage(PageBase *page) override;
    const PageRegistry &Pages() const override;
    void RegisterPage(PageBase *page) override;
    int CommandInterval() const override;
    void NoteBoardReplaced(const QString &previousSn, const QString &sn) override;
    void WriteLog(int level, const QString &title, const QString &text) override;
    LogModel *LogRows() override;
    bool LogGate(int level) const override;
    void SetLogGate(int level, bool on) override;
    InternalModeGate &Gate() override;
    ParameterStore &Parameters() override;
    void SetYModemReceiver(QObject *receiver) override;
    void HoldLine(QObject *holder) override;
    bool LineHeld() const override;
    void SetPortTakenBy(const QString &what) override;
    QString PortTakenBy() const override;

private:
    MainWindow &m_dlg;
    QPointer<QObject> m_lineHolder;
    ParameterStore m_parameters;
};
