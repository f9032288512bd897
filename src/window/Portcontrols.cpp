// The port box on the page "Comm Port and Byte Control".
#include <stdexcept>

#include "ui_Main.h"
#include "window/Externals.h"
#include "window/Main.h"

void TForm1::RefreshPortList()
{
    if (!ListPorts())
        throw std::runtime_error("Can't Enumerate Ports");
}

void TForm1::ListPortsAtStart()
{
    if (!ListPorts())
        ShowStatus(
            tr("The serial ports cannot be listed, so no dive computer can be "
               "connected. Settings files can still be opened, edited and saved."));
}

bool TForm1::ListPorts()
{
    const QString remembered = ui->ComSelect->currentText();
    SERIALPORTS found;
    if (!listPorts(found))
        return false;
    PortList = found;

    ui->ComSelect->clear();
    portNames.clear();
    for (const SERIALPORT& port : PortList) {
        ui->ComSelect->addItem(QString::fromStdWString(PortItemText(port)));
        portNames.append(QString::fromStdWString(port.name));
    }
    if (remembered.isEmpty()) {
        SelectedPortIndex = 0;
        ui->ComSelect->setCurrentIndex(PortList.empty() ? -1 : 0);
    } else {
        SelectedPortIndex = FindPortIndex(PortList, remembered.toStdWString(), MatchItemText);
        ui->ComSelect->setCurrentIndex(SelectedPortIndex);
        if (SelectedPortIndex < 0)
            ui->ComSelect->setEditText(remembered);  // a typed device path stays
    }
    return true;
}

void TForm1::ComSelectDropDown()
{
    RefreshPortList();
}

void TForm1::ComSelectSelect()
{
    const QString text = ui->ComSelect->currentText();
    int index = ui->ComSelect->currentIndex();
    // Text typed over a chosen item counts, not the item under it; a typed port name is
    // found whatever its letter case.
    if (index < 0 || ui->ComSelect->itemText(index) != text) {
        index = FindPortIndex(PortList, text.toStdWString(), MatchItemText);
        if (index < 0)
            index = FindPortIndex(PortList, text.toStdWString(), MatchPortName);
    }
    SelectedPortIndex = index;
    PortPath = PortPathFor(PortList, index, text.toStdWString());
    // Another port: the connection there was is closed.
    if (deviceOpen && worker) {
        deviceOpen = false;
        QMetaObject::invokeMethod(worker, [w = worker] { w->Disconnect(); });
        UpdateUi(UiNotConnected);
    }
}
