// Where watch publishes: the broker named by an mqtt:// or mqtts:// address,
// the topic prefix, and names made safe for a topic level.
#pragma once

#include <QByteArray>
#include <QString>

struct MqttSettings {
    QString host;
    int port = 1883;
    QString user;     // empty: no login
    QString password; // from the environment, never from the command line
    bool tls = false; // mqtts://
    QString caFile;   // empty with tls: the system's certificate authorities
    QString prefix = QStringLiteral("pylvex");
    bool discovery = true;
};

inline constexpr const char *kMqttPasswordVariable = "PYLVEX_MQTT_PASSWORD";

// Reads mqtt://[user@]host[:port] or mqtts://...; false with the message.
bool ParseMqttUrl(const QString &url, MqttSettings *settings, QString *error);
// A prefix of one or more topic levels without wildcards or empty levels.
bool ValidTopicPrefix(const QString &prefix);
// Letters, digits, '-' and '_' kept, every other character '_', at most 64
// characters; empty when no letter or digit is left.
QString TopicSafe(const QString &name);
// The name of a port for a topic: the device's name without /dev/, made safe.
QString PortTopicName(const QString &device);

// One message to publish.
struct MqttMessage {
    QByteArray topic;
    QByteArray payload;
    bool retain = false;
};
