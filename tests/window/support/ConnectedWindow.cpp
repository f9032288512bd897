#include "ConnectedWindow.h"

ConnectedWindow::ConnectedWindow(Attach attach)
    : device(std::in_place), form(std::make_unique<TForm1>()), driver(*form)
{
    if (attach == Attach::Yes)
        device->Attach(*form);
}

ConnectedWindow::ConnectedWindow(const QString& name, const QStringList& options)
    : emulator(std::in_place, name, options), form(std::make_unique<TForm1>()), driver(*form)
{
}

void ConnectedWindow::Connect()
{
    driver.TypePort(emulator->PortText());
    driver.Click("ConnectButton");
}
