// Why a file could not be opened or written, in words for the user: the
// system error number as a Chinese reason (the system's own text for the
// numbers without one).
#pragma once

#include <QString>

// The reason for a system error number (errno); 0 gives a general reason.
QString FileErrorReason(int error);
