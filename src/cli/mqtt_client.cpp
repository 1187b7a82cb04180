#include "cli/mqtt_client.h"

#include "cli/cli_common.h"

#include <mosquitto.h>

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>

namespace {
constexpr int kKeepAliveS = 30;
constexpr int kLoopWaitMs = 1000; // mosquitto_loop wakes at least this often
constexpr int kGoodbyeMs = 2000;  // at most this long for the last messages
constexpr int kStopWaitMs = 4000; // at most this long for the thread to end
std::once_flag g_libraryReady;

MqttClient *Self(void *client)
{
    return static_cast<MqttClient *>(client);
}
} // namespace

MqttClient::MqttClient(const MqttSettings &settings, const MqttMessage &will, Callbacks callbacks)
    : m_settings(settings), m_will(will), m_callbacks(std::move(callbacks))
{
}

MqttClient::~MqttClient()
{
    Stop({});
}

bool MqttClient::Start(QString *error)
{
    std::call_once(g_libraryReady, [] { mosquitto_lib_init(); });
    m_mosq = mosquitto_new(nullptr, true, this);
    if (!m_mosq) {
        *error = CliText::tr("无法建立 MQTT 客户端");
        return false;
    }
    mosquitto_threaded_set(m_mosq, true);
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_mosq, [](mosquitto *, void *self, int code) { Self(self)->OnConnect(code); });
    mosquitto_disconnect_callback_set(m_mosq, [](mosquitto *, void *self, int) {
        Self(self)->m_connected = false;
        Self(self)->m_disconnected = true;
    });
    mosquitto_log_callback_set(
        m_mosq, [](mosquitto *, void *self, int level, const char *text) { Self(self)->OnLog(level, text); });
    int rc = MOSQ_ERR_SUCCESS;
    if (!m_will.topic.isEmpty())
        rc = mosquitto_will_set(m_mosq, m_will.topic.constData(), static_cast<int>(m_will.payload.size()),
                                m_will.payload.constData(), 1, m_will.retain);
    const QByteArray user = m_settings.user.toUtf8();
    const QByteArray password = m_settings.password.toUtf8();
    if (rc == MOSQ_ERR_SUCCESS && !user.isEmpty())
        rc = mosquitto_username_pw_set(m_mosq, user.constData(), password.isEmpty() ? nullptr : password.constData());
    if (rc == MOSQ_ERR_SUCCESS && m_settings.tls) {
        const QByteArray caFile = m_settings.caFile.toLocal8Bit();
        rc = mosquitto_tls_set(m_mosq, caFile.isEmpty() ? nullptr : caFile.constData(),
                               caFile.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        *error = CliText::tr("MQTT 客户端设置失败：%1").arg(QString::fromLocal8Bit(mosquitto_strerror(rc)));
        return false;
    }
    m_thread = std::thread([this] {
        Run();
        m_ended.set_value();
    });
    return true;
}

bool MqttClient::Publish(const MqttMessage &m)
{
    if (!m_connected.load() || !m_mosq)
        return false;
    return mosquitto_publish(m_mosq, nullptr, m.topic.constData(), static_cast<int>(m.payload.size()),
                             m.payload.constData(), m.retain ? 1 : 0, m.retain) == MOSQ_ERR_SUCCESS;
}

void MqttClient::Stop(const std::vector<MqttMessage> &last)
{
    if (!m_thread.joinable()) {
        if (m_mosq)
            mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
        return;
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_last = last;
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_ended.get_future().wait_for(std::chrono::milliseconds(kStopWaitMs)) == std::future_status::ready) {
        m_thread.join();
        mosquitto_destroy(m_mosq);
    } else {
        // Still inside a connection attempt that does not end: the program
        // ends without it, and the client stays allocated.
        m_thread.detach();
    }
    m_mosq = nullptr;
}

void MqttClient::Run()
{
    int pauseMs = kFirstPauseMs;
    bool reported = false; // the outage has been reported
    const QByteArray host = m_settings.host.toUtf8();
    while (!m_stopping.load()) {
        m_disconnected = false;
        m_accepted = false;
        int rc = mosquitto_connect(m_mosq, host.constData(), m_settings.port, kKeepAliveS);
        const bool socketUp = rc == MOSQ_ERR_SUCCESS;
        if (socketUp)
            rc = StayConnected();
        m_connected = false;
        if (m_refused.load()) {
            m_callbacks.fatal(m_fatal);
            return;
        }
        if (rc == MOSQ_ERR_TLS || rc == MOSQ_ERR_TLS_HANDSHAKE || rc == MOSQ_ERR_OCSP) {
            m_callbacks.fatal(TlsFailureText(rc));
            return;
        }
        if (m_stopping.load()) {
            if (socketUp && rc == MOSQ_ERR_SUCCESS && m_accepted.load())
                Finish();
            return;
        }
        if (m_accepted.load()) {
            pauseMs = kFirstPauseMs;
            reported = false;
        }
        if (!reported && m_callbacks.lost)
            m_callbacks.lost(m_accepted.load() ? CliText::tr("与 MQTT 代理 %1:%2 的连接断开（%3），继续重试")
                                                     .arg(m_settings.host)
                                                     .arg(m_settings.port)
                                                     .arg(QString::fromLocal8Bit(mosquitto_strerror(rc)))
                                               : CliText::tr("无法连接 MQTT 代理 %1:%2（%3），继续重试")
                                                     .arg(m_settings.host)
                                                     .arg(m_settings.port)
                                                     .arg(QString::fromLocal8Bit(mosquitto_strerror(rc))));
        reported = true;
        if (!PauseBeforeRetry(pauseMs))
            return;
        pauseMs = std::min(pauseMs * 2, kLongestPauseMs);
    }
}

int MqttClient::StayConnected()
{
    while (!m_stopping.load()) {
        const int rc = mosquitto_loop(m_mosq, kLoopWaitMs, 1);
        if (rc != MOSQ_ERR_SUCCESS)
            return rc;
    }
    return MOSQ_ERR_SUCCESS;
}

void MqttClient::Finish()
{
    std::vector<MqttMessage> last;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        last = m_last;
    }
    for (const MqttMessage &m : last)
        mosquitto_publish(m_mosq, nullptr, m.topic.constData(), static_cast<int>(m.payload.size()),
                          m.payload.constData(), 1, m.retain);
    mosquitto_disconnect(m_mosq);
    QElapsedTimer clock;
    clock.start();
    while (!m_disconnected.load() && clock.elapsed() < kGoodbyeMs)
        if (mosquitto_loop(m_mosq, 100, 1) != MOSQ_ERR_SUCCESS)
            break;
}

bool MqttClient::PauseBeforeRetry(int ms)
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_wake.wait_for(hold, std::chrono::milliseconds(ms), [this] { return m_stopping.load(); });
    return !m_stopping.load();
}

void MqttClient::OnConnect(int code)
{
    if (code == 0) {
        m_accepted = true;
        m_connected = true;
        if (m_callbacks.connected)
            m_callbacks.connected();
        return;
    }
    if (code == 3)
        return; // the server is unavailable for now: tried again
    m_fatal = RefusalText(code);
    m_refused = true;
}

void MqttClient::OnLog(int level, const char *text)
{
    if ((level & MOSQ_LOG_ERR) == 0 || !text)
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    m_lastError = QString::fromUtf8(text);
}

QString MqttClient::RefusalText(int code) const
{
    const QString broker = QStringLiteral("%1:%2").arg(m_settings.host).arg(m_settings.port);
    switch (code) {
    case 4: return CliText::tr("MQTT 代理 %1 拒绝登录：用户名或密码错误").arg(broker);
    case 5:
        return CliText::tr("MQTT 代理 %1 拒绝登录：未获授权（检查用户名和环境变量 %2 中的密码）")
            .arg(broker, QLatin1String(kMqttPasswordVariable));
    default: return CliText::tr("MQTT 代理 %1 拒绝连接（代码 %2）").arg(broker).arg(code);
    }
}

QString MqttClient::TlsFailureText(int code)
{
    QString reason;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        reason = m_lastError;
    }
    if (reason.isEmpty())
        reason = QString::fromLocal8Bit(mosquitto_strerror(code));
    return CliText::tr("与 MQTT 代理 %1:%2 的 TLS 握手失败（证书无效、不受信任或与主机名不符）：%3")
        .arg(m_settings.host)
        .arg(m_settings.port)
        .arg(reason);
}
