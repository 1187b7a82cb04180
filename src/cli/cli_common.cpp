#include "cli/cli_common.h"

#include <QCoreApplication>

#include <cstdio>

QString Tr(const char *source)
{
    return QCoreApplication::translate("pylvexctl", source);
}

void PrintOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void PrintErr(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void PrintJson(const QJsonDocument &doc, bool oneLine)
{
    QByteArray bytes = doc.toJson(oneLine ? QJsonDocument::Compact : QJsonDocument::Indented);
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}
