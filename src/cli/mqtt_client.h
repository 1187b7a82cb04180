// One connection to an MQTT broker, kept up by a thread of its own: it
// connects, reconnects with a growing pause (no busy loop) while the broker
// is away, and reports a refused login or a failed TLS handshake once, as the
// end of the connection. Messages are published from any thread, and only
// while connected: what matters after a reconnection is published again from
// the connected callback.
#pragma once

#include "cli/mqtt_settings.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

struct mosquitto;

class MqttClient {
public:
    struct Callbacks {
        // After every accepted connection, on the client's thread.
        std::function<void()> connected;
        // The broker refused the login or the TLS handshake failed; the
        // client has stopped trying.
        std::function<void(const QString &message)> fatal;
        // The broker cannot be reached or the connection was lost: once per
        // outage, on the client's thread.
        std::function<void(const QString &reason)> lost;
    };

    // will: published by the broker when the connection is lost unannounced.
    MqttClient(const MqttSettings &settings, const MqttMessage &will, Callbacks callbacks);
    ~MqttClient();
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Sets the client up and starts its thread; false with the message.
    bool Start(QString *error);
    bool Connected() const { return m_connected.load(); }
    // False when not connected (nothing is queued for later).
    bool Publish(const MqttMessage &message);
    // Publishes the last messages when connected, disconnects and ends the
    // thread; waits a bounded time.
    void Stop(const std::vector<MqttMessage> &last);

    // Pauses between connection attempts: the first, and the longest.
    static constexpr int kFirstPauseMs = 500;
    static constexpr int kLongestPauseMs = 8000;

private:
    void Run();
    int StayConnected();
    void Finish();
    bool PauseBeforeRetry(int ms);
    void OnConnect(int code);
    void OnLog(int level, const char *text);
    QString RefusalText(int code) const;
    QString TlsFailureText(int code);

    MqttSettings m_settings;
    MqttMessage m_will;
    Callbacks m_callbacks;
    mosquitto *m_mosq = nullptr;
    std::thread m_thread;
    std::promise<void> m_ended;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_accepted{false}; // the broker accepted the current connection
    std::atomic<bool> m_refused{false};
    std::atomic<bool> m_disconnected{false};
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock; // guards m_last and m_lastError, and the pause before a retry
    std::condition_variable m_wake;
    std::vector<MqttMessage> m_last;
    QString m_lastError; // the library's last error line (a TLS failure's reason)
    QString m_fatal;     // set before m_refused
};
