#include "lang/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

// The compiled translations live in this library's resources; a static
// library drops an object nobody refers to, so refer to it.
static void LinkTranslations()
{
    Q_INIT_RESOURCE(translations);
}

namespace lang {

namespace {

Language g_current = Language::Chinese;
QTranslator *g_program = nullptr;
QTranslator *g_toolkit = nullptr;

QString Env(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name)).trimmed();
}

void Remove(QTranslator *&translator)
{
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator);
    delete translator;
    translator = nullptr;
}

QTranslator *Load(const QString &file, const QString &folder)
{
    auto *translator = new QTranslator;
    if (translator->load(file, folder) && QCoreApplication::installTranslator(translator))
        return translator;
    delete translator;
    return nullptr;
}

} // namespace

QString Code(Language language)
{
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("zh");
}

std::optional<Language> FromCode(const QString &code)
{
    const QString c = code.trimmed().toLower();
    auto isLanguage = [&](const char *name) {
        const QString n = QLatin1String(name);
        return c == n || c.startsWith(n + QLatin1Char('_')) || c.startsWith(n + QLatin1Char('-')) ||
               c.startsWith(n + QLatin1Char('.'));
    };
    if (isLanguage("zh"))
        return Language::Chinese;
    if (isLanguage("en"))
        return Language::English;
    return std::nullopt;
}

Language FromEnvironment()
{
    QString locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = Env(name);
        if (!locale.isEmpty())
            break;
    }
    // Only the plain C locale ignores LANGUAGE; C.UTF-8 is a locale like any other.
    const bool plain = locale.isEmpty() || locale == QLatin1String("C") || locale == QLatin1String("POSIX");
    QString wanted = locale;
    if (!plain) {
        const QString list = Env("LANGUAGE");
        const QStringList entries = list.split(QLatin1Char(':'), Qt::SkipEmptyParts);
        if (!entries.isEmpty())
            wanted = entries.first();
    }
    if (plain)
        return Language::English;
    return FromCode(wanted).value_or(Language::English);
}

LanguageArgument FromArguments(const QStringList &arguments)
{
    LanguageArgument result;
    const QString option = QStringLiteral("--lang");
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--"))
            break;
        QString value;
        if (a == option) {
            if (i + 1 >= arguments.size()) {
                result.error = QCoreApplication::translate("Language", "--lang 需要一个值：zh 或 en。");
                return result;
            }
            value = arguments.at(++i);
        } else if (a.startsWith(option + QLatin1Char('='))) {
            value = a.mid(option.size() + 1);
        } else {
            continue;
        }
        const QString v = value.trimmed().toLower();
        if (v != QLatin1String("zh") && v != QLatin1String("en")) {
            result.value.reset();
            result.error = QCoreApplication::translate("Language", "--lang 的值“%1”无效：只能是 zh 或 en。").arg(value);
            return result;
        }
        result.value = FromCode(v);
    }
    return result;
}

bool Install(Language language)
{
    LinkTranslations();
    Remove(g_program);
    Remove(g_toolkit);
    g_current = language;
    const QString toolkitFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language == Language::Chinese) {
        // The program's texts are Chinese already; the toolkit's need theirs.
        g_toolkit = Load(QStringLiteral("qtbase_zh_CN"), toolkitFolder);
        return g_toolkit != nullptr;
    }
    g_program = Load(QStringLiteral("pylvex_en"), QStringLiteral(":/i18n"));
    return g_program != nullptr;
}

Language Current()
{
    return g_current;
}

void LinkResources()
{
    LinkTranslations();
}

} // namespace lang
