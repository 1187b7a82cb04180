// Process-wide settings that the port thread reads while the windows change
// them. The application object exposes them under their member names.
#pragma once

#include <QObject>

#include <atomic>

struct LinkSettings {
    std::atomic<int> cmdSndInvl{400};      // command interval in ms
    std::atomic<bool> rxEcho{false};       // raw echo of received bytes
    std::atomic<bool> logDebug{false};     // level-7 gate
    std::atomic<bool> ymodemActive{false}; // a YModem receiver is registered with the owner
};

LinkSettings &GlobalLinkSettings();

// The command interval the board port paces by (LinkSettings::cmdSndInvl is
// the one in force). The user's interval is the base; a run that needs
// another one for a while (an upgrade) takes a scoped override, which ends
// with its owner on every path out. Overrides nest and the newest is in
// force; a base set while one runs takes effect when the last one ends.
void SetCommandInterval(int ms);
int CommandIntervalBase();

class ScopedCommandInterval {
public:
    explicit ScopedCommandInterval(int ms);
    ~ScopedCommandInterval();
    ScopedCommandInterval(const ScopedCommandInterval &) = delete;
    ScopedCommandInterval &operator=(const ScopedCommandInterval &) = delete;

private:
    int m_nMs;
};
