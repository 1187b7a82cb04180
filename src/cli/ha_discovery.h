// Home Assistant's MQTT discovery for one board: a retained config message per
// entity under homeassistant/<component>/<board>_<key>/config, each reading
// its value from the board's state topic, with its unit, device class and
// state class, and the device block that groups them.
#pragma once

#include "cli/mqtt_settings.h"

#include <QJsonObject>

#include <vector>

// The topics of one board.
struct BoardTopics {
    QString board; // topic-safe
    QString state;
    QString availability;
};
BoardTopics TopicsOf(const QString &prefix, const QString &board);

// The configs for the entities the state holds (a state as status --json
// gives it: cells and temperature probes are counted from it).
std::vector<MqttMessage> DiscoveryConfigs(const BoardTopics &topics, const QJsonObject &state);
