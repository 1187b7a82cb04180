// Puts an open window into another language without rebuilding it: every
// text a widget shows (labels, buttons, group and window titles, tool tips,
// tab captions, list entries, list headers and rows, menu entries) is looked
// up in the program's catalogue in the language it was shown in, and set to
// the same text in the new one. What a text was made from is remembered on the
// widget, so it goes back and forth any number of times; texts with filled-in
// values (%1 ...) keep their values. A text not in the catalogue (a value from
// the board or a file) is left as it is. Texts a page builds afterwards come
// through tr() in the new language by themselves.
#pragma once

#include "lang/language.h"

class QWidget;

// Retranslates root and every widget below it; returns how many texts changed.
int RetranslateTree(QWidget *root, lang::Language from, lang::Language to);

// Installs the language, retranslates every top-level window and stores the
// choice in the profile (key Window/Language) when store is set.
void SwitchLanguage(lang::Language to, bool store = true);

// The language the window starts in: the command line's when given, else the
// one stored in the profile, else the locale's.
lang::Language WindowLanguage(const QString &commandLine);
