// A firmware image in a temporary file and the simulated board that stores
// what it receives, reached straight over a pseudo-terminal or through a
// relay that paces the bytes as a serial line of a given baud rate would.
// For the upgrade benchmarks.
#pragma once

#include "bench/paced_relay.h"
#include "sim/simhost.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string>

class ImageOnBoard {
public:
    ~ImageOnBoard() { Stop(); }

    // Writes size pseudo-random bytes (the same for the same seed), starts the
    // board with options (its stored image set here) and, when baud > 0, the
    // relay. Device() is what the tool opens.
    bool Start(SimOptions options, int size, int seed, int baud)
    {
        m_content = QByteArray(size, Qt::Uninitialized);
        std::uint32_t x = static_cast<std::uint32_t>(seed) * 2654435761u + 7;
        for (int i = 0; i < size; ++i) {
            x = x * 1103515245u + 12345u;
            m_content[i] = static_cast<char>(x >> 16);
        }
        QFile file(Path());
        if (!m_dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(m_content) != m_content.size())
            return false;
        file.close();
        options.storeImage = m_dir.filePath(QStringLiteral("stored.bin")).toStdString();
        if (!m_board.StartPty(&m_device, options))
            return false;
        if (baud <= 0)
            return true;
        std::string toolDevice;
        if (!m_relay.Start(m_device.toStdString(), baud, &toolDevice))
            return false;
        m_device = QString::fromStdString(toolDevice);
        return true;
    }

    void Stop()
    {
        m_relay.Stop();
        m_board.Stop();
    }

    QString Path() const { return m_dir.filePath(QStringLiteral("fw.bin")); }
    const QString &Device() const { return m_device; }
    PacedRelay &Relay() { return m_relay; }
    // Whether the board stored exactly the image; call after Stop().
    bool StoredIntact() const
    {
        QFile stored(m_dir.filePath(QStringLiteral("stored.bin")));
        return stored.open(QIODevice::ReadOnly) && stored.readAll() == m_content;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_content;
    SimHost m_board;
    PacedRelay m_relay;
    QString m_device;
};
