#include "lang/catalogue.h"

#include <QFile>
#include <QXmlStreamReader>

namespace lang {

namespace {

int Side(Language language)
{
    return language == Language::English ? 1 : 0;
}

const QRegularExpression &PlaceHolder()
{
    static const QRegularExpression re(QStringLiteral("%([1-9])"));
    return re;
}

} // namespace

Catalogue Catalogue::FromTs(const QByteArray &xml)
{
    Catalogue c;
    QXmlStreamReader reader(xml);
    QString context;
    Entry entry;
    bool numerus = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const auto name = reader.name();
        if (name == QLatin1String("name")) {
            context = reader.readElementText();
        } else if (name == QLatin1String("message")) {
            entry = Entry{context, QString(), QString()};
            numerus = reader.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (name == QLatin1String("source")) {
            entry.source = reader.readElementText();
        } else if (name == QLatin1String("translation")) {
            const bool unfinished = reader.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            // Numerus texts are built with a count each time; they are left out.
            if (!numerus)
                entry.translation = reader.readElementText();
            if (!numerus && !unfinished && !entry.source.isEmpty() && !entry.translation.isEmpty())
                c.m_entries.push_back(entry);
        }
    }
    c.Index();
    return c;
}

const Catalogue &Catalogue::Program()
{
    static const Catalogue program = [] {
        LinkResources();
        QFile file(QStringLiteral(":/i18n/pylvex_en.ts"));
        return file.open(QIODevice::ReadOnly) ? FromTs(file.readAll()) : Catalogue();
    }();
    return program;
}

void Catalogue::Index()
{
    for (int i = 0; i < Size(); ++i) {
        const Entry &e = At(i);
        for (int side = 0; side < 2; ++side) {
            const QString &text = side ? e.translation : e.source;
            m_exact[side][text].append(i);
            if (!text.contains(PlaceHolder()))
                continue;
            Pattern p{i, QString(), QRegularExpression(), {}};
            QString re = QStringLiteral("^");
            qsizetype last = 0;
            auto it = PlaceHolder().globalMatch(text);
            while (it.hasNext()) {
                const auto m = it.next();
                if (p.order.isEmpty())
                    p.prefix = text.left(m.capturedStart());
                re += QRegularExpression::escape(text.mid(last, m.capturedStart() - last)) + QStringLiteral("(.*?)");
                p.order.append(m.captured(1).toInt());
                last = m.capturedEnd();
            }
            re += QRegularExpression::escape(text.mid(last)) + QStringLiteral("$");
            p.regex = QRegularExpression(re, QRegularExpression::DotMatchesEverythingOption);
            m_patterns[side].push_back(std::move(p));
        }
    }
}

Catalogue::Match Catalogue::Find(const QString &text, Language language, const QStringList &preferred) const
{
    const int side = Side(language);
    auto pick = [&](const QList<int> &candidates) {
        for (const QString &context : preferred)
            for (int i : candidates)
                if (At(i).context == context)
                    return i;
        return candidates.first();
    };
    Match match;
    const auto exact = m_exact[side].constFind(text);
    if (exact != m_exact[side].constEnd()) {
        match.entry = pick(*exact);
        return match;
    }
    QList<int> candidates;
    QList<QStringList> values;
    for (const Pattern &p : m_patterns[side]) {
        if (!text.startsWith(p.prefix))
            continue;
        const auto m = p.regex.match(text);
        if (!m.hasMatch())
            continue;
        QStringList v(9);
        for (int k = 0; k < p.order.size(); ++k)
            v[p.order.at(k) - 1] = m.captured(k + 1);
        candidates.append(p.entry);
        values.append(v);
    }
    if (candidates.isEmpty())
        return match;
    match.entry = pick(candidates);
    match.values = values.at(candidates.indexOf(match.entry));
    return match;
}

QString Catalogue::Render(const Match &match, Language language) const
{
    if (!match.IsValid())
        return QString();
    const Entry &e = At(match.entry);
    const QString &text = Side(language) ? e.translation : e.source;
    if (match.values.isEmpty())
        return text;
    QString out;
    qsizetype last = 0;
    auto it = PlaceHolder().globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        out += text.mid(last, m.capturedStart() - last) + match.values.value(m.captured(1).toInt() - 1);
        last = m.capturedEnd();
    }
    return out + text.mid(last);
}

} // namespace lang
