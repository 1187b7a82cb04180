// Every text of the program with its English translation, read from the
// translation source compiled into the resources. It lets a text already
// shown be put into the other language: the source and the translation are
// both known, so a text is found from either side, including texts whose
// %1 ... %9 were filled in (the filled-in values are carried over).
#pragma once

#include "lang/language.h"

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

namespace lang {

class Catalogue {
public:
    struct Entry {
        QString context;
        QString source;      // Chinese
        QString translation; // English
    };
    // A text found: the entry and the values that filled its %1 ... %9.
    struct Match {
        int entry = -1;
        QStringList values;
        bool IsValid() const { return entry >= 0; }
    };

    // The catalogue of the compiled-in translation (parsed once).
    static const Catalogue &Program();
    // A catalogue of the given translation source text (.ts XML).
    static Catalogue FromTs(const QByteArray &xml);

    int Size() const { return static_cast<int>(m_entries.size()); }
    const Entry &At(int i) const { return m_entries.at(static_cast<std::size_t>(i)); }

    // The entry whose text in language is text; among several, the first
    // whose context is in preferred (in that order), else the first.
    Match Find(const QString &text, Language language, const QStringList &preferred = {}) const;
    // The entry's text in language with the match's values filled in.
    QString Render(const Match &match, Language language) const;

private:
    struct Pattern {
        int entry;
        QString prefix; // literal text before the first place holder
        QRegularExpression regex;
        QList<int> order; // place holder number of each capture
    };
    void Index();
    std::vector<Entry> m_entries;
    QHash<QString, QList<int>> m_exact[2];
    std::vector<Pattern> m_patterns[2];
};

} // namespace lang
