// The language of the user interface. Chinese is the language the texts are
// written in; English comes from the translation compiled into the programs.
// Files written for other programs (recordings, diagnostic logs, parameter
// files, the password file) and the wire never change with it.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lang {

enum class Language { Chinese, English };

// "zh" or "en".
QString Code(Language language);
// zh, zh_CN, zh-TW ..., en, en_US ...: the language; anything else: none.
std::optional<Language> FromCode(const QString &code);

// The language the user's locale asks for, the way Linux programs read it:
// LC_ALL, LC_MESSAGES, LANG give the locale; LANGUAGE (a colon-separated
// list) takes precedence unless that locale is unset, C or POSIX. Chinese for zh*,
// English for everything else (unset included).
Language FromEnvironment();

// --lang zh|en or --lang=zh|en in a command line (arguments[0] is the
// program). value: the language named; error: the text to show for a bad or
// missing value; both empty when the option is absent.
struct LanguageArgument {
    std::optional<Language> value;
    QString error;
};
LanguageArgument FromArguments(const QStringList &arguments);

// Installs the translators for the language on the running application
// object: the program's own texts and the toolkit's (standard buttons, file
// pickers). Installing them makes the toolkit send QEvent::LanguageChange to
// every widget. Returns false when a translation could not be loaded (the
// texts then stay Chinese).
bool Install(Language language);
// The language last installed (Chinese before any).
Language Current();

// Makes sure the compiled-in translations (":/i18n/...") are linked in.
void LinkResources();

} // namespace lang
