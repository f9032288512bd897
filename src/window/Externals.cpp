#include "window/Externals.h"

TForm1* Form1 = nullptr;
TAboutForm* AboutForm = nullptr;

DEVICE_DATA CurrentSettings{};

SERIALPORTS PortList;
CStdStr PortPath;
CStdStr LastPort;
int SelectedPortIndex = 0;

bool UpdatingControls = false;

CStdStr LastOpenFile;
CStdStr LastSaveFile;
