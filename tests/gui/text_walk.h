// Walks the texts a window shows: labels, buttons, group and window titles,
// tool tips, tab captions, list entries and list headers, with the widget
// that shows each. For the checks that no text is left in the other language
// and that no text is cut off or covered.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QWidget>

#include <functional>

struct ShownText {
    const QWidget *widget;
    QString what; // "label", "tooltip", "tab 2", ...
    QString text;
};

// Every text shown by root and the widgets below it that would be visible
// with root shown (hidden ones and those of hidden parents are left out).
inline QList<ShownText> ShownTexts(const QWidget *root)
{
    QList<ShownText> out;
    QList<const QWidget *> widgets{root};
    for (const QWidget *w : root->findChildren<QWidget *>())
        if (w->isVisibleTo(root))
            widgets.append(w);
    for (const QWidget *w : widgets) {
        auto add = [&](const QString &what, const QString &text) {
            if (!text.isEmpty())
                out.append({w, what, text});
        };
        add(QStringLiteral("window title"), w->windowTitle());
        add(QStringLiteral("tool tip"), w->toolTip());
        if (auto *l = qobject_cast<const QLabel *>(w))
            add(QStringLiteral("label"), l->text());
        if (auto *b = qobject_cast<const QAbstractButton *>(w))
            add(QStringLiteral("button"), b->text());
        if (auto *g = qobject_cast<const QGroupBox *>(w))
            add(QStringLiteral("group"), g->title());
        if (auto *c = qobject_cast<const QComboBox *>(w))
            for (int i = 0; i < c->count(); ++i)
                add(QStringLiteral("list entry %1").arg(i), c->itemText(i));
        if (auto *t = qobject_cast<const QTabBar *>(w))
            for (int i = 0; i < t->count(); ++i)
                add(QStringLiteral("tab %1").arg(i), t->tabText(i));
        if (auto *v = qobject_cast<const QAbstractItemView *>(w); v && v->model())
            for (int c = 0; c < v->model()->columnCount(); ++c)
                add(QStringLiteral("header %1").arg(c), v->model()->headerData(c, Qt::Horizontal).toString());
    }
    return out;
}

inline bool HasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("[\\x{3400}-\\x{9fff}\\x{ff01}-\\x{ff5e}\\x{3000}-\\x{303f}]"));
    return text.contains(han);
}

inline QString Describe(const ShownText &t)
{
    QString name = QString::fromLatin1(t.widget->metaObject()->className());
    if (!t.widget->objectName().isEmpty())
        name += QLatin1Char('#') + t.widget->objectName();
    for (const QWidget *p = t.widget->parentWidget(); p; p = p->parentWidget())
        if (QString::fromLatin1(p->metaObject()->className()).endsWith(QLatin1String("Page")) || p->isWindow()) {
            name = QString::fromLatin1(p->metaObject()->className()) + QLatin1String(" > ") + name;
            break;
        }
    return QStringLiteral("%1 %2: \"%3\"").arg(name, t.what, t.text);
}
