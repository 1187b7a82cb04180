#include "app/retranslate.h"

#include "app/userprofile.h"
#include "lang/catalogue.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <functional>

using lang::Catalogue;
using lang::Language;

namespace {

const QString kProfileKey = QStringLiteral("Window/Language");
// Lists longer than this are logs and records: values, not texts to translate.
constexpr int kMaxRowsWalked = 300;

// The contexts a text of this object most likely comes from: its own class
// and its base classes, then those of its parents.
QStringList PreferredContexts(const QObject *object)
{
    QStringList contexts;
    for (const QObject *o = object; o; o = o->parent())
        for (const QMetaObject *m = o->metaObject(); m; m = m->superClass())
            contexts.append(QString::fromLatin1(m->className()));
    return contexts;
}

class Walker {
public:
    Walker(Language from, Language to) : m_from(from), m_to(to), m_catalogue(Catalogue::Program()) {}

    // One text slot of an object: its current text, how to set it, and a
    // name under which what it was made from is remembered on owner.
    void Text(QObject *owner, const char *slot, const QString &current, const std::function<void(const QString &)> &set)
    {
        if (current.isEmpty())
            return;
        const QByteArray key = QByteArray("_pylvexText_") + slot;
        Catalogue::Match match;
        const QVariant stored = owner->property(key.constData());
        if (stored.isValid()) {
            const QStringList s = stored.toStringList();
            Catalogue::Match previous{s.value(0).toInt(), s.mid(1)};
            if (previous.entry < m_catalogue.Size() && m_catalogue.Render(previous, m_from) == current)
                match = previous;
        }
        if (!match.IsValid())
            match = m_catalogue.Find(current, m_from, Contexts(owner));
        if (!match.IsValid())
            return;
        owner->setProperty(key.constData(), QStringList{QString::number(match.entry)} + match.values);
        const QString text = m_catalogue.Render(match, m_to);
        if (text != current) {
            set(text);
            ++m_changed;
        }
    }

    void Widget(QWidget *w);
    int Changed() const { return m_changed; }

private:
    const QStringList &Contexts(QObject *o)
    {
        if (o != m_contextsOf) {
            m_contextsOf = o;
            m_contexts = PreferredContexts(o);
        }
        return m_contexts;
    }
    void Model(QAbstractItemView *view);

    Language m_from;
    Language m_to;
    const Catalogue &m_catalogue;
    int m_changed = 0;
    QObject *m_contextsOf = nullptr;
    QStringList m_contexts;
};

void Walker::Model(QAbstractItemView *view)
{
    QAbstractItemModel *model = view->model();
    if (!model || model->property("_pylvexWalked").toBool())
        return;
    // A model shown by several views is walked once.
    model->setProperty("_pylvexWalked", true);
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        const int n = o == Qt::Horizontal ? model->columnCount() : model->rowCount();
        for (int s = 0; s < n && s < kMaxRowsWalked; ++s) {
            const QByteArray slot = (o == Qt::Horizontal ? "h" : "v") + QByteArray::number(s);
            Text(model, slot.constData(), model->headerData(s, o, Qt::DisplayRole).toString(),
                 [&](const QString &t) { model->setHeaderData(s, o, t, Qt::DisplayRole); });
        }
    }
    if (model->rowCount() > kMaxRowsWalked)
        return;
    for (int r = 0; r < model->rowCount(); ++r) {
        for (int c = 0; c < model->columnCount(); ++c) {
            const QModelIndex index = model->index(r, c);
            // Cells change with the data: matched each time, not remembered.
            const QString current = index.data(Qt::DisplayRole).toString();
            if (current.isEmpty())
                continue;
            const Catalogue::Match match = m_catalogue.Find(current, m_from, Contexts(view));
            if (match.IsValid()) {
                const QString text = m_catalogue.Render(match, m_to);
                if (text != current && model->setData(index, text, Qt::DisplayRole))
                    ++m_changed;
            }
        }
    }
}

void Walker::Widget(QWidget *w)
{
    Text(w, "windowTitle", w->windowTitle(), [w](const QString &t) { w->setWindowTitle(t); });
    Text(w, "toolTip", w->toolTip(), [w](const QString &t) { w->setToolTip(t); });
    if (auto *label = qobject_cast<QLabel *>(w))
        Text(w, "text", label->text(), [label](const QString &t) { label->setText(t); });
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        Text(w, "text", button->text(), [button](const QString &t) { button->setText(t); });
    if (auto *group = qobject_cast<QGroupBox *>(w))
        Text(w, "title", group->title(), [group](const QString &t) { group->setTitle(t); });
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        Text(w, "placeholder", edit->placeholderText(), [edit](const QString &t) { edit->setPlaceholderText(t); });
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            const QByteArray slot = "item" + QByteArray::number(i);
            Text(w, slot.constData(), combo->itemText(i), [combo, i](const QString &t) { combo->setItemText(i, t); });
        }
    }
    if (auto *tabs = qobject_cast<QTabBar *>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QByteArray slot = "tab" + QByteArray::number(i);
            Text(w, slot.constData(), tabs->tabText(i), [tabs, i](const QString &t) { tabs->setTabText(i, t); });
            const QByteArray tip = "tabTip" + QByteArray::number(i);
            Text(w, tip.constData(), tabs->tabToolTip(i), [tabs, i](const QString &t) { tabs->setTabToolTip(i, t); });
        }
    }
    if (auto *view = qobject_cast<QAbstractItemView *>(w))
        Model(view);
    for (QAction *action : w->actions()) {
        Text(action, "text", action->text(), [action](const QString &t) { action->setText(t); });
        Text(action, "toolTip", action->toolTip(), [action](const QString &t) { action->setToolTip(t); });
    }
}

} // namespace

int RetranslateTree(QWidget *root, Language from, Language to)
{
    if (!root)
        return 0;
    Walker walker(from, to);
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *w : widgets)
        walker.Widget(w);
    for (QWidget *w : widgets)
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model())
            view->model()->setProperty("_pylvexWalked", QVariant());
    return walker.Changed();
}

void SwitchLanguage(Language to, bool store)
{
    const Language from = lang::Current();
    lang::Install(to);
    if (store) {
        QSettings profile = UserProfile();
        profile.setValue(kProfileKey, lang::Code(to));
    }
    if (from == to)
        return;
    for (QWidget *window : QApplication::topLevelWidgets())
        RetranslateTree(window, from, to);
}

Language WindowLanguage(const QString &commandLine)
{
    if (const auto chosen = lang::FromCode(commandLine))
        return *chosen;
    QSettings profile = UserProfile();
    if (const auto stored = lang::FromCode(profile.value(kProfileKey).toString()))
        return *stored;
    return lang::FromEnvironment();
}
