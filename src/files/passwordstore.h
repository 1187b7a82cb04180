// Where the password's two digests are kept: the profile entry "Pylvex.pwd"
// of section IniProfile (profile seed) and the file "Pylvex.pwd" in the
// user's local application data folder (file seed), one line without a line
// end, readable by the owner only.
#pragma once

#include "protocol/password.h"

#include <QString>

#include <string_view>

class PasswordStore {
public:
    // folder holds the file copy; an empty folder means it is unknown, and
    // then only the profile copy is read and written.
    explicit PasswordStore(QString folder = DefaultFolder());
    // The local application data folder of the user; empty when unknown.
    static QString DefaultFolder();
    static constexpr const char *kFileName = "Pylvex.pwd";
    static constexpr const char *kProfileEntry = "Pylvex.pwd";

    QString FilePath() const;
    // Either copy may come back empty (absent, unreadable, or the folder unknown).
    StoredPassword Read() const;
    // Stores a new password so that a failure leaves the old one working:
    // the file copy is written to a temporary file first, the profile copy
    // next, and the temporary file replaces the file copy last; when a step
    // fails, the profile copy is put back and the file copy stays as it was.
    bool Store(std::string_view password) const;
    // Verification against the stored copies.
    PasswordVerdict Check(std::string_view password) const;

private:
    QString m_folder;
};
