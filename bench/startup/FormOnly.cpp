// The floor of the start-up benchmark: the main window's form as its form description
// builds it, with the window's own controls, shown, and nothing else. No implementation of
// the window can start faster or smaller than this.
#include <QApplication>
#include <QMainWindow>

#include "ui_Main.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    Ui::TForm1 form;
    form.setupUi(&window);
    window.show();
    return QApplication::exec();
}
