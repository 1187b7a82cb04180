#include "files/inifile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
QString TooLarge()
{
    return QCoreApplication::translate("IniFile", "文件过大");
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

QString DecodeGbkOrUtf8(const QByteArray &bytes)
{
    static const QByteArray kBom("\xEF\xBB\xBF", 3);
    if (bytes.startsWith(kBom))
        return QString::fromUtf8(bytes.mid(kBom.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    if (!gbk.isValid())
        return QString::fromLocal8Bit(bytes);
    return gbk.decode(bytes);
}

IniFile IniFile::FromBytes(const QByteArray &bytes)
{
    IniFile ini;
    const QString text = DecodeGbkOrUtf8(bytes);
    Section *current = nullptr;
    for (QStringView raw : QStringView(text).split(u'\n')) {
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        QStringView line = raw;
        while (!line.isEmpty() && line.front().isSpace())
            line = line.mid(1);
        if (line.trimmed().isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            qsizetype close = line.indexOf(u']');
            QString name = (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed().toString();
            current = ini.FindSection(name);
            if (!current) {
                ini.m_sections.push_back({name, {}});
                current = &ini.m_sections.back();
            }
            continue;
        }
        qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0)
            continue;
        QString key = line.left(eq).trimmed().toString();
        bool known = false;
        for (const Entry &e : current->entries)
            known = known || SameName(e.key, key);
        // Blanks after "=" are dropped; those at the end belong to the value,
        // so that what was written is read back unchanged.
        QStringView value = line.mid(eq + 1);
        while (!value.isEmpty() && (value.front() == u' ' || value.front() == u'\t'))
            value = value.mid(1);
        if (!known)
            current->entries.push_back({key, value.left(kMaxValueLength).toString()});
    }
    return ini;
}

QByteArray IniFile::ToBytes() const
{
    QString text;
    for (const Section &s : m_sections) {
        text += u'[' + s.name + QStringLiteral("]\r\n");
        for (const Entry &e : s.entries)
            text += e.key + u'=' + e.value + QStringLiteral("\r\n");
    }
    QStringEncoder gbk("GBK");
    if (!gbk.isValid())
        return text.toLocal8Bit();
    return gbk.encode(text);
}

IniFile::Section *IniFile::FindSection(const QString &name)
{
    for (Section &s : m_sections)
        if (SameName(s.name, name))
            return &s;
    return nullptr;
}

const IniFile::Section *IniFile::FindSection(const QString &name) const
{
    for (const Section &s : m_sections)
        if (SameName(s.name, name))
            return &s;
    return nullptr;
}

bool IniFile::HasSection(const QString &section) const
{
    return FindSection(section) != nullptr;
}

QString IniFile::Value(const QString &section, const QString &key) const
{
    if (const Section *s = FindSection(section))
        for (const Entry &e : s->entries)
            if (SameName(e.key, key))
                return e.value;
    return {};
}

void IniFile::SetValue(const QString &section, const QString &key, const QString &value)
{
    Section *s = FindSection(section);
    if (!s) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    for (Entry &e : s->entries) {
        if (SameName(e.key, key)) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back({key, value});
}

bool IniFile::Load(const QString &path, IniFile *out, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        if (error)
            *error = TooLarge();
        return false;
    }
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        if (error)
            *error = TooLarge();
        return false;
    }
    *out = FromBytes(bytes);
    return true;
}

bool IniFile::Save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    const QByteArray bytes = ToBytes();
    bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    if (ok)
        ok = file.commit();
    else
        file.cancelWriting();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}
