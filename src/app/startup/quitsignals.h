// SIGINT, SIGTERM and SIGHUP end the program the orderly way (as closing the
// window does: the settings are stored, the port and the demo board stop),
// instead of killing it on the spot. A second such signal ends it at once.
#pragma once

class QObject;

void QuitOnTerminationSignals(QObject *parent);
