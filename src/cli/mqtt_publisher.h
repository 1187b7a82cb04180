// What watch publishes for one board over its own broker connection: the
// state as status --json gives it, the retained availability (online while
// the board answers, offline while it is silent or its port is gone, and the
// broker's last will), and the discovery configs. Every (re)connection
// publishes the configs, the availability and the newest state again.
#pragma once

#include "cli/ha_discovery.h"
#include "cli/mqtt_client.h"

#include <QJsonObject>

#include <map>
#include <memory>
#include <mutex>

class BoardPublisher {
public:
    using Fatal = std::function<void(const QString &message)>;
    using Report = std::function<void(const QString &text)>;

    // board: topic-safe. fatal: the broker refused the login or the
    // certificate; report: connection news for standard error.
    BoardPublisher(const MqttSettings &settings, const QString &board, Fatal fatal, Report report);
    ~BoardPublisher();

    bool Start(QString *error);
    const BoardTopics &Topics() const { return m_topics; }
    // A reading of the board: the object status --json prints.
    void Reading(const QJsonObject &state);
    // The board is silent or its port is gone.
    void Silent();
    // Publishes offline and disconnects.
    void Stop();

private:
    void PublishAll();
    void Discover(const QJsonObject &state);
    MqttMessage Availability() const;

    MqttSettings m_settings;
    BoardTopics m_topics;
    Report m_report;
    std::unique_ptr<MqttClient> m_client;
    std::mutex m_lock;                          // the members below; the client's thread publishes them again
    std::map<QByteArray, QByteArray> m_configs; // by topic
    QString m_shape;                            // what the configs were made from
    QByteArray m_state;
    bool m_online = false;
    bool m_stopped = false;
};
