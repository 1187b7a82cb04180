#include "cli/mqtt_settings.h"

#include "cli/cli_common.h"

#include <QUrl>

bool ParseMqttUrl(const QString &text, MqttSettings *s, QString *error)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))) {
        *error = CliText::tr("--mqtt 的地址无效：%1（应为 mqtt://[用户名@]主机[:端口] 或 mqtts://...）").arg(text);
        return false;
    }
    if (!url.password().isEmpty()) {
        *error =
            CliText::tr("--mqtt 的地址不能带密码：请用环境变量 %1 给出密码").arg(QLatin1String(kMqttPasswordVariable));
        return false;
    }
    if (url.host().isEmpty() || (!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery() ||
        url.hasFragment()) {
        *error = CliText::tr("--mqtt 的地址无效：%1（应为 mqtt://[用户名@]主机[:端口] 或 mqtts://...）").arg(text);
        return false;
    }
    s->tls = scheme == QLatin1String("mqtts");
    s->host = url.host();
    s->port = url.port(s->tls ? 8883 : 1883);
    if (s->port <= 0) {
        *error = CliText::tr("--mqtt 的端口无效：%1").arg(text);
        return false;
    }
    s->user = url.userName();
    return true;
}

bool ValidTopicPrefix(const QString &prefix)
{
    if (prefix.isEmpty() || prefix.size() > 200)
        return false;
    for (const QString &level : prefix.split(u'/'))
        if (level.isEmpty() || level.contains(u'+') || level.contains(u'#') || level.contains(QChar(0)))
            return false;
    return true;
}

QString TopicSafe(const QString &name)
{
    QString out;
    bool named = false; // a letter or digit kept
    for (QChar c : name.trimmed()) {
        const bool alnum = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        named = named || alnum;
        out += alnum || c == u'-' || c == u'_' ? c : QChar(u'_');
        if (out.size() == 64)
            break;
    }
    return named ? out : QString();
}

QString PortTopicName(const QString &device)
{
    QString name = device.trimmed();
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    return TopicSafe(name);
}
