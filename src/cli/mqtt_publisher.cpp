#include "cli/mqtt_publisher.h"

#include "cli/cli_common.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// What the discovery configs depend on: the keys present, the numbers of
// cells and probes, and the board's identity.
QString ShapeOf(const QJsonObject &state)
{
    QStringList parts = state.keys();
    parts << QString::number(state.value(QLatin1String("cells_mv")).toArray().size())
          << QString::number(state.value(QLatin1String("temperatures_c")).toArray().size());
    for (const char *key : {"sn", "software_version", "hardware_version", "board"})
        parts << state.value(QLatin1String(key)).toString();
    return parts.join(u'\n');
}
} // namespace

BoardPublisher::BoardPublisher(const MqttSettings &settings, const QString &board, Fatal fatal, Report report)
    : m_settings(settings), m_topics(TopicsOf(settings.prefix, board)), m_report(std::move(report))
{
    MqttClient::Callbacks callbacks;
    callbacks.connected = [this] {
        if (m_report)
            m_report(
                CliText::tr("%1：已连接 MQTT 代理 %2:%3").arg(m_topics.board, m_settings.host).arg(m_settings.port));
        PublishAll();
    };
    callbacks.fatal = std::move(fatal);
    callbacks.lost = [this](const QString &reason) {
        if (m_report)
            m_report(CliText::tr("%1：%2").arg(m_topics.board, reason));
    };
    m_client = std::make_unique<MqttClient>(
        settings, MqttMessage{m_topics.availability.toUtf8(), QByteArrayLiteral("offline"), true},
        std::move(callbacks));
}

BoardPublisher::~BoardPublisher()
{
    Stop();
}

bool BoardPublisher::Start(QString *error)
{
    return m_client->Start(error);
}

MqttMessage BoardPublisher::Availability() const
{
    return {m_topics.availability.toUtf8(), m_online ? QByteArrayLiteral("online") : QByteArrayLiteral("offline"),
            true};
}

void BoardPublisher::Reading(const QJsonObject &state)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_stopped)
        return;
    if (m_settings.discovery)
        Discover(state);
    m_state = QJsonDocument(state).toJson(QJsonDocument::Compact);
    if (!m_online) {
        m_online = true;
        m_client->Publish(Availability());
    }
    m_client->Publish({m_topics.state.toUtf8(), m_state, false});
}

void BoardPublisher::Discover(const QJsonObject &state)
{
    const QString shape = ShapeOf(state);
    if (shape == m_shape)
        return;
    m_shape = shape;
    // Entities are added and updated, never withdrawn: a reading that lacks
    // an item does not take it from the dashboard.
    for (MqttMessage &m : DiscoveryConfigs(m_topics, state)) {
        QByteArray &known = m_configs[m.topic];
        if (known == m.payload)
            continue;
        known = m.payload;
        m_client->Publish(m);
    }
}

void BoardPublisher::Silent()
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_stopped || !m_online)
        return;
    m_online = false;
    m_client->Publish(Availability());
}

void BoardPublisher::PublishAll()
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (const auto &[topic, payload] : m_configs)
        m_client->Publish({topic, payload, true});
    m_client->Publish(Availability());
    if (m_online && !m_state.isEmpty())
        m_client->Publish({m_topics.state.toUtf8(), m_state, false});
}

void BoardPublisher::Stop()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_stopped)
            return;
        m_stopped = true;
        m_online = false;
    }
    m_client->Stop({Availability()});
}
