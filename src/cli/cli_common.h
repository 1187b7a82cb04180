// Pieces every subcommand of pylvexctl shares: exit statuses, the options
// common to all of them, and writing results and errors.
#pragma once

#include "link/serialline.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

// Exit statuses of the program.
enum ExitStatus {
    kExitOk = 0,
    kExitBoard = 1, // the board answered with an error, or a read-back or diff mismatch
    kExitUsage = 2, // unknown subcommand, option or key; a value out of range
    kExitLink = 3,  // no such port, port busy, no permission, no answer
    // upgrade: the board took the whole image, but its new version could not
    // be read after the restart
    kExitVersionUnread = 4,
};

inline constexpr int kDefaultTimeoutMs = 1000;

// What every subcommand that talks to the board takes.
struct CommonOptions {
    QString port;       // device name or path; empty: the port stored by the window
    int baud = 0;       // 0: the stored rate
    int intervalMs = 0; // 0: the stored interval (or 400)
    int timeoutMs = kDefaultTimeoutMs;
    bool secondary = false; // answers of the secondary board (link byte 0xD3)
    bool json = false;
    bool verbose = false; // every frame as hex on standard error
    QString capture;      // pcapng file the link is captured into; empty: none
};

// The program's translation context: CliText::tr("...") for a text written
// here, Tr(text) for a text kept in a table (marked with QT_TRANSLATE_NOOP).
struct CliText {
    Q_DECLARE_TR_FUNCTIONS(pylvexctl)
};
QString Tr(const char *source);

// Standard output holds only results; errors and reports go to standard error.
void PrintOut(const QString &text);
void PrintErr(const QString &text);
// Columns a text takes on a terminal: 2 for a wide (CJK, full-width)
// character, 0 for a combining mark or a control character, else 1.
int DisplayWidth(const QString &text);
// The text with spaces after it up to width columns (never cut).
QString PadToWidth(const QString &text, int width);

// A JSON document on standard output, indented or on one line.
void PrintJson(const QJsonDocument &doc, bool oneLine = false);
