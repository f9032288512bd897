#pragma once
// The process-wide objects of the main window. They are made before the main window and
// outlive it. The device controller is not among them: the connection's worker owns it.

#include "device/CStdStr.h"
#include "device/DEVICE_DATA.h"
#include "platform/SerialPorts.h"

class TAboutForm;
class TForm1;

extern TForm1* Form1;
// The About window, made by the main window when About is first chosen; null before.
extern TAboutForm* AboutForm;

// The one settings record the window shows and edits.
extern DEVICE_DATA CurrentSettings;

extern SERIALPORTS PortList;
extern CStdStr PortPath;
extern CStdStr LastPort;
extern int SelectedPortIndex;

// True while the window writes values into its own controls: the editors ignore changes.
extern bool UpdatingControls;

extern CStdStr LastOpenFile;
extern CStdStr LastSaveFile;
