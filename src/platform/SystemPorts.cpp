#include "platform/SystemPorts.h"

#include <QString>

#include <libserialport.h>

#include <memory>

namespace {

QString Clean(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).simplified();
}

std::string Text(const char* text)
{
    return text ? std::string(text) : std::string();
}

QString UsbDescription(const SystemPortFields& fields)
{
    const QString maker = Clean(fields.manufacturer);
    const QString product = Clean(fields.product);
    // Many products already carry their maker's name: "Prolific USB-Serial Controller".
    if (!product.isEmpty() && (maker.isEmpty() || product.contains(maker, Qt::CaseInsensitive)))
        return product;
    if (!maker.isEmpty())
        return product.isEmpty() ? maker : maker + QLatin1Char(' ') + product;
    QString description = QStringLiteral("USB serial adapter");
    if (fields.vendorId >= 0 && fields.productId >= 0)
        description += QStringLiteral(" %1:%2")
                           .arg(fields.vendorId, 4, 16, QLatin1Char('0'))
                           .arg(fields.productId, 4, 16, QLatin1Char('0'));
    return description;
}

struct PortListFree {
    void operator()(sp_port** ports) const { sp_free_port_list(ports); }
};

}  // namespace

SERIALPORT SystemPortEntry(const SystemPortFields& fields)
{
    const QString path = QString::fromStdString(fields.path);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QString description = fields.usb ? UsbDescription(fields) : QString();
    return {name.toStdWString(), description.toStdWString(), path.toStdWString()};
}

bool AddSystemPorts(SERIALPORTS& list)
{
    sp_port** found = nullptr;
    if (sp_list_ports(&found) != SP_OK)
        return false;
    const std::unique_ptr<sp_port*, PortListFree> ports(found);
    for (sp_port** port = ports.get(); *port; ++port) {
        SystemPortFields fields;
        fields.path = Text(sp_get_port_name(*port));
        fields.usb = sp_get_port_transport(*port) == SP_TRANSPORT_USB;
        if (fields.usb) {
            fields.manufacturer = Text(sp_get_port_usb_manufacturer(*port));
            fields.product = Text(sp_get_port_usb_product(*port));
            if (sp_get_port_usb_vid_pid(*port, &fields.vendorId, &fields.productId) != SP_OK)
                fields.vendorId = fields.productId = -1;
        }
        list.push_back(SystemPortEntry(fields));
    }
    return true;
}
