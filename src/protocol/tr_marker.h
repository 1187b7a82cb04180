// Marks a text of a table for the translation tools without making the
// protocol layer depend on Qt. The program shows such a text through
// QCoreApplication::translate with the same context; lupdate finds the marks
// when run with -tr-function-alias QT_TRANSLATE_NOOP+=PYLVEX_TR_NOOP.
#pragma once

#define PYLVEX_TR_NOOP(context, text) text
