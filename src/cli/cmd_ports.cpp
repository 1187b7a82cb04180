// ports: the serial ports the system lists, with their descriptions; the
// port the window used last is marked.
#include "cli/board_session.h"
#include "cli/commands.h"
#include "link/portdiscovery.h"
#include "link/portprofile.h"

#include <QJsonArray>
#include <QJsonObject>

int RunPorts(const CliRequest &request)
{
    const QList<PortDescription> ports = AvailablePorts();
    const QString stored = StoredPortName(ReadPortProfile());
    if (request.common.json) {
        QJsonArray a;
        for (const PortDescription &p : ports) {
            QJsonObject o{{"name", p.name},
                          {"device", p.device},
                          {"description", p.description},
                          {"manufacturer", p.manufacturer},
                          {"serial_number", p.serialNumber},
                          {"stored", p.name == stored || p.device == stored}};
            if (p.vendorId >= 0)
                o["vendor_id"] = p.vendorId;
            if (p.productId >= 0)
                o["product_id"] = p.productId;
            a.append(o);
        }
        PrintJson(QJsonDocument(a));
    } else {
        QString text;
        for (const PortDescription &p : ports) {
            QString about = p.description;
            if (!p.manufacturer.isEmpty())
                about += QStringLiteral("（%1）").arg(p.manufacturer);
            const bool isStored = p.name == stored || p.device == stored;
            text += QStringLiteral("%1%2  %3\n").arg(isStored ? "* " : "  ", p.device.leftJustified(18), about);
        }
        PrintOut(text);
    }
    if (ports.isEmpty())
        PrintErr(CliText::tr("没有检测到可使用的串口"));
    return kExitOk;
}
