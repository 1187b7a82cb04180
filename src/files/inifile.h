// Profile files as the factory computers exchange them: "[section]" lines and
// "key=value" lines, GBK-encoded with CR LF line ends. Reading also takes
// UTF-8 with or without a byte order mark. Section and key names compare
// without regard to ASCII case; the first of two equal keys counts. Blanks
// around names and after "=" are dropped, blanks that end a value are kept. The
// bytes read are untrusted: the size is bounded and values are cut to what a
// profile read returns (259 characters).
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class IniFile {
public:
    // Longest value a read returns; longer ones are cut.
    static constexpr int kMaxValueLength = 259;
    // Larger files are not read.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    static IniFile FromBytes(const QByteArray &bytes);
    // GBK text, "[section]" and "key=value" lines, each ended by CR LF.
    QByteArray ToBytes() const;

    bool HasSection(const QString &section) const;
    // The empty text when the key is absent.
    QString Value(const QString &section, const QString &key) const;
    // Replaces the key's value, or adds the key (and its section) at the end.
    void SetValue(const QString &section, const QString &key, const QString &value);

    // Reads a file; false with the reason when it cannot be read or is too large.
    static bool Load(const QString &path, IniFile *out, QString *error);
    // Writes through a temporary file that replaces the file only when
    // everything was written, so a failed write leaves the old file as it was.
    bool Save(const QString &path, QString *error) const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    Section *FindSection(const QString &name);
    const Section *FindSection(const QString &name) const;

    std::vector<Section> m_sections;
};

// The text of a file's bytes: UTF-8 after a byte order mark, UTF-8 when the
// bytes are valid UTF-8, GBK otherwise.
QString DecodeGbkOrUtf8(const QByteArray &bytes);
