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
