// The profile buttons of the threshold pages: save the board's threshold
// parameters to a profile file (every parameter read first, then the file
// written with the board's SN, versions and the time), compare the board with
// a profile, and apply a profile (the comparison, then the chosen rows
// written). Profiles hold the parameters of both threshold pages; the
// command-line program reads and writes the same files.
#pragma once

#include "app/framework/profilerunner.h"
#include "files/profilefile.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

class PageHost;
class QLabel;
class QPushButton;

class ProfileBar : public QWidget {
    Q_OBJECT
public:
    explicit ProfileBar(PageHost *host, QWidget *parent = nullptr);

    QPushButton *SaveButton() const { return m_pSave; }
    QPushButton *CompareButton() const { return m_pCompare; }
    QPushButton *ApplyButton() const { return m_pApply; }
    QLabel *StatusLabel() const { return m_pStatus; }
    bool Busy() const { return m_runner.Running(); }
    // The last run of reads (save or comparison): its time and its requests.
    qint64 LastRunMs() const { return m_lastRunMs; }
    int LastRunRequests() const { return m_lastRunRequests; }

private:
    enum class Task { Save, Compare, Apply };
    bool Begin(Task task);
    void OnStepFinished(int step);
    void OnFinished();
    void FinishSave();
    void FinishCompare();
    void SetBusy(bool busy);

    PageHost *m_pHost;
    ProfileRunner m_runner;
    QPushButton *m_pSave = nullptr;
    QPushButton *m_pCompare = nullptr;
    QPushButton *m_pApply = nullptr;
    QLabel *m_pStatus = nullptr;
    Task m_task = Task::Save;
    QString m_path;
    Profile m_profile;
    std::unique_ptr<ParamExchange> m_run;
    QElapsedTimer m_clock;
    qint64 m_lastRunMs = 0;
    int m_lastRunRequests = 0;
};
