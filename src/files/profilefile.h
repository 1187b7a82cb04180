// Threshold profiles: a board's threshold parameters in a JSON file with the
// board's SN, versions and the time they were saved. The window and pylvexctl
// write and read the same files. Reading is strict: a file that is no
// profile, of an unknown format version, with an unknown parameter or a value
// of the wrong shape or out of its row's range is refused as a whole, with
// the file's name and the problem.
#pragma once

#include "files/paramexchange.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonParseError>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The format version a profile carries under "pylvexctl_profile".
inline constexpr int kProfileFormat = 1;
// Larger files are no profile (a whole set of parameters takes about 2 KB).
inline constexpr qint64 kProfileMaxBytes = 1024 * 1024;

struct ProfileEntry {
    const ParamKey *key = nullptr;
    std::vector<std::int64_t> values; // as entered on the page (temperatures in degrees)
};

struct Profile {
    QString board; // "main", "secondary", or empty when the file does not say
    QString sn;    // empty when the file does not say
    QString softwareVersion;
    QString hardwareVersion;
    QString savedAt;
    // The parameters the file holds that can be compared and applied, in the order of the key table.
    std::vector<ProfileEntry> entries;
    const ProfileEntry *Find(const ParamKey *key) const;
};

// The text of a profile's bytes; false with the problem (without the file's name).
bool ParseProfile(const QByteArray &bytes, Profile *profile, QString *problem);
// Reads the file; false with a message naming the file and the problem.
bool ReadProfile(const QString &path, Profile *profile, QString *error);
// A JSON syntax error as "第 3 行第 14 列：缺少逗号".
QString JsonSyntaxError(const QByteArray &bytes, const QJsonParseError &error);

// What the user should know before the profile goes to a board that does not
// fit it, without refusing it: a profile of the other board of the pair, or
// of a board with another SN (boardSn: the SN the board gave, if any).
QStringList ProfileNotices(const Profile &profile, bool secondaryBoard, const std::optional<QString> &boardSn);

// The document of a profile: the parameters read without fault, the board's
// identity as far as it was given, which board and when.
QByteArray ProfileDocument(const std::vector<ParamStep> &reads, const ProfileIdentity &identity, bool secondaryBoard,
                           const QDateTime &savedAt);
// Writes the document to the file whole or not at all; false with a message naming the file.
bool WriteProfile(const QString &path, const QByteArray &document, QString *error);
// "板卡没有给出 SN 码（无应答），参数文件中不记录": what the identity lacks; empty when nothing.
QString MissingIdentityText(const ProfileIdentity &identity);
