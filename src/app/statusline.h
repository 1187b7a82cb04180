// The status line at the bottom of the main window: the port and its
// settings, whether it is connected, the board chosen, the time of the last
// answer, and the board's silence or the lost link.
#pragma once

#include <QDateTime>
#include <QStatusBar>
#include <QString>

class QLabel;

struct StatusFacts {
    QString port;     // device name, empty when none is chosen
    QString settings; // "9600,8,无,1"
    bool open = false;
    QDateTime lostAt; // valid after a lost link, until the port opens again
    bool reconnecting = false;
    bool mainBoard = true;
    QDateTime lastAnswer;  // invalid before the first answer
    QDateTime silentSince; // valid while requests go unanswered
    QString replacedSn;    // the board that answered before, when another one answers now (its SN)
    QString boardSn;       // the board that answers now
    // While the terminal page holds the line: what it uses instead of the
    // board port (its own port); the board port is reopened when it is left.
    QString takenBy;
};

// The line's text for the facts at the time now.
QString StatusLineText(const StatusFacts &facts, const QDateTime &now);

class StatusLineView : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusLineView(QWidget *parent = nullptr);
    void Show(const StatusFacts &facts, const QDateTime &now = QDateTime::currentDateTime());
    QString Text() const;
    // Something is wrong: the board is silent or the link was lost.
    bool Alarming() const { return m_alarming; }

private:
    QLabel *m_label;
    bool m_alarming = false;
};
