// The baseline of the start-up benchmark: an empty main window and nothing else.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    return QApplication::exec();
}
